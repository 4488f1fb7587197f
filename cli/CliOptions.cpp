#include "cli/CliOptions.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct CommandShape {
    const char* pName;
    size_t nMinArgs;
    size_t nMaxArgs;
};

constexpr CommandShape kCommands[] = {
    {"ports", 0, 0},   {"version", 0, 0}, {"info", 0, 0},  {"backup", 1, 1},
    {"restore", 1, 1}, {"read", 2, 2},    {"write", 2, 2}, {"mix", 0, 1},
    {"list", 1, 1},    {"verify", 1, 1},  {"leds", 1, 1},  {"play", 1, 1},
};

// A decimal number within [nMin, nMax], digits only; -1 otherwise.
int Number(const std::string& str, int nMin, int nMax, size_t nMaxDigits = 3) {
    if (str.empty() || str.size() > nMaxDigits ||
        !std::all_of(str.begin(), str.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return -1;
    const int n = std::atoi(str.c_str());
    return n >= nMin && n <= nMax ? n : -1;
}

// An LED byte: eight characters 0 and 1 with LED 8 first (as in program files), 0x and
// one or two hex digits, or "off"; -1 otherwise.
int LedPattern(const std::string& str) {
    if (str == "off")
        return 0;
    if (str.size() == 8 && str.find_first_not_of("01") == std::string::npos)
        return static_cast<int>(std::stoul(str, nullptr, 2));
    if (str.size() >= 3 && str.size() <= 4 && str[0] == '0' && (str[1] | 0x20) == 'x' &&
        str.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
        return static_cast<int>(std::stoul(str.substr(2), nullptr, 16));
    return -1;
}

std::string CheckArguments(CliOptions& opts) {
    const std::string& c = opts.strCommand;
    if (c == "read" || c == "write") {
        opts.nProg = Number(opts.aArgs[0], 1, 9);
        if (opts.nProg < 0)
            return "program number must be 1-9: " + opts.aArgs[0];
        opts.strFile = opts.aArgs[1];
    } else if (c == "backup" || c == "restore" || c == "verify" || c == "list") {
        opts.strFile = opts.aArgs[0];
    } else if (c == "play") {
        opts.nProg = Number(opts.aArgs[0], 1, 9);
        if (opts.nProg < 0)
            return "program number must be 1-9: " + opts.aArgs[0];
    } else if (c == "leds") {
        opts.nLeds = LedPattern(opts.aArgs[0]);
        if (opts.nLeds < 0)
            return "LED pattern must be eight 0 and 1 (LED 8 first), 0x00-0xFF or off: " +
                   opts.aArgs[0];
    } else if (c == "mix" && !opts.aArgs.empty()) {
        opts.nMixValue = Number(opts.aArgs[0], 0, 255);
        if (opts.nMixValue < 0)
            return "MIX length must be 0-255: " + opts.aArgs[0];
    }
    if (opts.aPorts.size() > 1 && c != "backup" && c != "restore" && c != "verify")
        return "only backup, restore and verify take more than one port";
    if (opts.bPlayOption && c != "play")
        return "--file, --step-ms and --for go with play only";
    if (opts.bVerify && c != "restore")
        return "--verify goes with restore only";
    if (opts.bJson && c != "info" && c != "ports")
        return "--json goes with info and ports only";
    if (!opts.aPorts.empty() && !NeedsDevice(c))
        return c + " takes no port";
    return {};
}

}  // namespace

bool NeedsDevice(const std::string& strCommand) {
    return strCommand != "list" && strCommand != "ports";
}

std::string ParseCliOptions(const std::vector<std::string>& aArgv, CliOptions& opts) {
    std::vector<std::string> aWords;
    bool bOptionsEnd = false;
    for (size_t i = 0; i < aArgv.size(); ++i) {
        const std::string& a = aArgv[i];
        if (bOptionsEnd || a.size() < 2 || a[0] != '-') {
            aWords.push_back(a);
        } else if (a == "--") {
            bOptionsEnd = true;
        } else if (a == "-p" || a == "--port") {
            if (i + 1 >= aArgv.size())
                return a + " needs a port";
            opts.aPorts.push_back(aArgv[++i]);
        } else if (a.rfind("--port=", 0) == 0) {
            opts.aPorts.push_back(a.substr(7));
        } else if (a == "-e" || a == "--emulate") {
            opts.bEmulate = true;
        } else if (a == "-t" || a == "--trace") {
            opts.bTrace = true;
        } else if (a == "-q" || a == "--quiet") {
            opts.bQuiet = true;
        } else if (a == "--stay") {
            opts.bStay = true;
        } else if (a == "--json") {
            opts.bJson = true;
        } else if (a == "--verify") {
            opts.bVerify = true;
        } else if (a == "--file" || a == "--step-ms" || a == "--for") {
            if (i + 1 >= aArgv.size())
                return a + " needs a value";
            const std::string& v = aArgv[++i];
            opts.bPlayOption = true;
            if (a == "--file") {
                opts.strFile = v;
            } else if (a == "--step-ms") {
                opts.nStepMs = Number(v, 32, 5000, 4);
                if (opts.nStepMs < 0)
                    return "--step-ms must be 32-5000: " + v;
            } else {
                opts.nForSeconds = Number(v, 1, 86400, 5);
                if (opts.nForSeconds < 0)
                    return "--for must be 1-86400 seconds: " + v;
            }
        } else if (a == "-h" || a == "--help") {
            opts.bHelp = true;
        } else if (a == "--version") {
            opts.bVersion = true;
        } else {
            return "unknown option " + a;
        }
    }
    if (opts.bHelp || opts.bVersion)
        return {};
    if (aWords.empty())
        return "no command given";
    opts.strCommand = aWords[0];
    opts.aArgs.assign(aWords.begin() + 1, aWords.end());
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [&](const CommandShape& s) { return opts.strCommand == s.pName; });
    if (it == std::end(kCommands))
        return "unknown command " + opts.strCommand;
    if (opts.aArgs.size() < it->nMinArgs || opts.aArgs.size() > it->nMaxArgs)
        return "wrong number of arguments for " + opts.strCommand;
    return CheckArguments(opts);
}

std::string UsageText() {
    return "usage: glowdesk-cli [options] <command> [arguments]\n"
           "\n"
           "  ports                 list the ports found: COMn<TAB>device\n"
           "  version               print the Handheld's version text\n"
           "  info                  print the static info and where each program lies\n"
           "  backup FILE           read all nine programs and the MIX length into FILE\n"
           "  restore FILE          write all nine programs and the MIX length from FILE\n"
           "  verify FILE           compare the Handheld's programs and MIX length with FILE\n"
           "  read N FILE           read program N (1-9) into FILE, keeping the others\n"
           "  write N FILE          write program N from FILE\n"
           "  mix [VALUE]           print the MIX random length, or write VALUE (0-255)\n"
           "  list FILE             print the listing of a program file (no device)\n"
           "  leds PATTERN          light the Handheld's LEDs now: 10100101 (LED 8 first),\n"
           "                        0xA5 or off; the Handheld stays in configuration mode\n"
           "  play N                play program N on the Handheld's LEDs until Ctrl-C;\n"
           "                        the Handheld stays in configuration mode\n"
           "\n"
           "options:\n"
           "  -p, --port PORT       COMn, a number, or a device path; default: the only\n"
           "                        port found. backup, restore and verify take several.\n"
           "  -e, --emulate         use the emulated Handheld instead of a port\n"
           "  -t, --trace           print every frame sent and received on stderr\n"
           "  -q, --quiet           no progress display\n"
           "      --stay            leave the Handheld in configuration mode\n"
           "      --json            info and ports: print JSON\n"
           "      --verify          restore: read back what was written and compare\n"
           "      --file FILE       play: program N of FILE instead of the Handheld's\n"
           "      --step-ms MS      play: the step time, 32-5000 ms (default 500)\n"
           "      --for SECONDS     play: stop after this time\n"
           "  -h, --help            this text\n"
           "      --version         the program's version\n"
           "\n"
           "exit status: 0 done, 1 the Handheld failed, 2 usage, 3 port, 4 file,\n"
           "5 the Handheld differs from the file, 130 interrupted\n";
}
