// The command-line switches: -p 1, -e 1, -t 1, -s 1 and -f name.
#pragma once

#include <string>

struct CommandLineOptions {
    bool bProgMode = false;
    bool bComEmu = false;
    bool bTrace = false;
    bool bAltIcons = false;
    std::string strStartFile;  // as collected, not yet resolved
};

// Scans the argument part of the command line (without the program name).
CommandLineOptions ScanCommandLine(const std::string& strArgs);

// The argument string as the scanner expects it: argv[1..] joined with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

// A start-up name that begins with '.' or is absolute is used as given; any other
// is put behind the start-up directory.
std::string ResolveStartupName(const std::string& strName, const std::string& strStartDir);
