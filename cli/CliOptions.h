// The command line of glowdesk-cli: options, the command and its arguments.
#pragma once

#include <string>
#include <vector>

struct CliOptions {
    std::vector<std::string> aPorts;  // -p, in the order given
    bool bEmulate = false;            // -e
    bool bTrace = false;              // -t
    bool bQuiet = false;              // -q
    bool bStay = false;               // --stay
    bool bJson = false;               // --json
    bool bVerify = false;             // --verify: restore reads back what it wrote
    bool bPlayOption = false;         // --file, --step-ms or --for was given
    bool bHelp = false;               // -h, --help
    bool bVersion = false;            // --version
    std::string strCommand;
    std::vector<std::string> aArgs;  // the command's arguments
    // Checked values of the arguments
    int nProg = 0;        // read, write: 1-9
    int nMixValue = -1;   // mix VALUE: 0-255; -1 when only read
    std::string strFile;  // backup, restore, verify, read, write, list, play --file
    int nLeds = 0;        // leds PATTERN: LED 1 in bit 0
    int nStepMs = 500;    // play --step-ms: 32-5000, as the window's slider
    int nForSeconds = 0;  // play --for: 0 until interrupted
};

// Fills opts from argv[1..]; an empty text on success, else what is wrong.
std::string ParseCliOptions(const std::vector<std::string>& aArgv, CliOptions& opts);

// The usage text of -h: the commands' help lines, then the options.
std::string UsageText();
