#include "cli/Report.h"

#include <cstdio>

namespace {

// Unicode code points of Windows-1252 0x80-0x9F (0 where the code page has none).
constexpr unsigned short kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::string Hex4(unsigned n) {
    char ac[8];
    std::snprintf(ac, sizeof ac, "%4.4Xh", n & 0xFFFF);
    return ac;
}

}  // namespace

std::string JsonString(const std::string& str) {
    std::string strOut = "\"";
    for (unsigned char ch : str) {
        char ac[8];
        if (ch == '"' || ch == '\\') {
            strOut += '\\';
            strOut += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7F) {
            std::snprintf(ac, sizeof ac, "\\u%04x", ch);
            strOut += ac;
        } else if (ch >= 0x80) {
            unsigned nCode = ch >= 0xA0 ? ch : kCp1252High[ch - 0x80];
            if (nCode == 0)
                nCode = 0xFFFD;
            std::snprintf(ac, sizeof ac, "\\u%04x", nCode);
            strOut += ac;
        } else {
            strOut += static_cast<char>(ch);
        }
    }
    return strOut + "\"";
}

std::string FormatInfoText(const InfoReport& r) {
    const StaticInfo& info = r.facts.info;
    std::string s;
    s += "Port         " + r.strPort + "\n";
    s += "Version      " + r.strVersion + "\n";
    s += "E2           " + std::to_string(r.facts.nE2KBytes) + "k\n";
    s += "InfoLen      " + std::to_string(info.InfoLen) + "\n";
    s += "ProgCount    " + std::to_string(r.facts.nProgCount) + "\n";
    s += "ProgNameLen  " + std::to_string(info.ProgNameLen) + "\n";
    s += "ProgSize     " + std::to_string(info.ProgSize) + "\n";
    for (const ProgramPlace& place : r.aPlaces) {
        s += "Program " + std::to_string(place.nProg) + ": PosProgLen=" + Hex4(place.nPosLen) +
             ", PosProgName=" + Hex4(place.nPosName) + ", PosProgData=" + Hex4(place.nPosData) +
             "\n";
    }
    return s;
}

std::string FormatInfoJson(const InfoReport& r) {
    const StaticInfo& info = r.facts.info;
    std::string s = "{\"port\": " + JsonString(r.strPort) +
                    ", \"version\": " + JsonString(r.strVersion) +
                    ", \"e2_kbytes\": " + std::to_string(r.facts.nE2KBytes) +
                    ", \"info_len\": " + std::to_string(info.InfoLen) +
                    ", \"prog_count\": " + std::to_string(r.facts.nProgCount) +
                    ", \"prog_name_len\": " + std::to_string(info.ProgNameLen) +
                    ", \"prog_size\": " + std::to_string(info.ProgSize) + ", \"programs\": [";
    for (size_t i = 0; i < r.aPlaces.size(); ++i) {
        const ProgramPlace& place = r.aPlaces[i];
        s += (i ? ", " : "") + std::string("{\"program\": ") + std::to_string(place.nProg) +
             ", \"pos_prog_len\": " + std::to_string(place.nPosLen) +
             ", \"pos_prog_name\": " + std::to_string(place.nPosName) +
             ", \"pos_prog_data\": " + std::to_string(place.nPosData) + "}";
    }
    return s + "]}\n";
}

std::string FormatPortsText(const std::vector<FoundPort>& aPorts) {
    std::string s;
    for (const FoundPort& port : aPorts)
        s += "COM" + std::to_string(port.nNumber) + "\t" + port.strDevice + "\n";
    return s;
}

std::string FormatPortsJson(const std::vector<FoundPort>& aPorts) {
    std::string s = "[";
    for (size_t i = 0; i < aPorts.size(); ++i) {
        s += (i ? ", " : "") + std::string("{\"port\": ") +
             JsonString("COM" + std::to_string(aPorts[i].nNumber)) +
             ", \"device\": " + JsonString(aPorts[i].strDevice) + "}";
    }
    return s + "]\n";
}
