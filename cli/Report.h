// What the info and ports commands print, as plain text for people or JSON for scripts.
#pragma once

#include <string>
#include <vector>

#include "cli/DeviceLink.h"
#include "cli/PortChoice.h"

struct ProgramPlace {
    int nProg = 0;  // 1-9
    unsigned nPosLen = 0, nPosName = 0, nPosData = 0;
};

struct InfoReport {
    std::string strPort;
    std::string strVersion;
    DeviceFacts facts;
    std::vector<ProgramPlace> aPlaces;
};

std::string FormatInfoText(const InfoReport& report);
std::string FormatInfoJson(const InfoReport& report);

std::string FormatPortsText(const std::vector<FoundPort>& aPorts);
std::string FormatPortsJson(const std::vector<FoundPort>& aPorts);

// A JSON string literal: quotes, backslashes and control characters escaped; bytes
// above 0x7F are taken as Windows-1252 text and written as \u escapes.
std::string JsonString(const std::string& str);
