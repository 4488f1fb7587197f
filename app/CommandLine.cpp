#include "app/CommandLine.h"

CommandLineOptions ScanCommandLine(const std::string& strArgs) {
    CommandLineOptions opts;
    // A cursor over the text as a C string: an embedded NUL ends the scan.
    const char* p = strArgs.c_str();
    while (*p != '\0') {
        if (*p == '-') {
            ++p;
            switch (*p) {
                case 'e':
                case 'p':
                case 's':
                case 't': {
                    const char chSwitch = *p;
                    ++p;
                    // Exactly one blank stands between letter and value; the value
                    // position is consumed below whatever it holds.
                    if (*p == ' ') {
                        ++p;
                        if (*p == '1') {
                            if (chSwitch == 'e')
                                opts.bComEmu = true;
                            if (chSwitch == 'p')
                                opts.bProgMode = true;
                            if (chSwitch == 's')
                                opts.bAltIcons = true;
                            if (chSwitch == 't')
                                opts.bTrace = true;
                        }
                    }
                    break;
                }
                case 'f': {
                    ++p;
                    if (*p == ' ') {
                        std::string strName;
                        for (;;) {
                            ++p;
                            if (*p == '\0' || *p == ' ' || *p == '\n')
                                break;
                            strName += *p;
                        }
                        // A second -f is skipped over; the first name stays.
                        if (opts.strStartFile.empty())
                            opts.strStartFile = strName;
                    }
                    break;
                }
                default:
                    break;
            }
        }
        if (*p != '\0')
            ++p;
    }
    return opts;
}

std::string JoinArguments(int argc, const char* const* argv) {
    std::string strArgs;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            strArgs += ' ';
        strArgs += argv[i];
    }
    return strArgs;
}

std::string ResolveStartupName(const std::string& strName, const std::string& strStartDir) {
    if (strName.empty())
        return strName;
#ifdef _WIN32
    const bool bAsGiven = strName[0] == '.' || strName.find(':') != std::string::npos;
#else
    const bool bAsGiven = strName[0] == '.' || strName[0] == '/';
#endif
    return bAsGiven ? strName : strStartDir + strName;
}
