#include "cli/CliOptions.h"

#include "cli/CommandArgs.h"
#include "cli/CommandTable.h"

namespace {

// The command's own arguments, then the options that go with some commands only.
std::string CheckArguments(const CliCommand& cmd, CliOptions& opts) {
    if (cmd.fnTakeArgs != nullptr) {
        const std::string strError = cmd.fnTakeArgs(opts);
        if (!strError.empty())
            return strError;
    }
    if (opts.aPorts.size() > 1 && !cmd.bSeveralPorts)
        return "only backup, restore and verify take more than one port";
    if (opts.bPlayOption && !cmd.bPlayOptions)
        return "--file, --step-ms and --for go with play only";
    if (opts.bVerify && !cmd.bVerify)
        return "--verify goes with restore only";
    if (opts.bJson && !cmd.bJson)
        return "--json goes with info and ports only";
    if (!opts.aPorts.empty() && !cmd.NeedsDevice())
        return opts.strCommand + " takes no port";
    return {};
}

}  // namespace

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
                opts.nStepMs = ParseNumber(v, 32, 5000, 4);
                if (opts.nStepMs < 0)
                    return "--step-ms must be 32-5000: " + v;
            } else {
                opts.nForSeconds = ParseNumber(v, 1, 86400, 5);
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
    const CliCommand* pCmd = FindCommand(opts.strCommand);
    if (pCmd == nullptr)
        return "unknown command " + opts.strCommand;
    if (opts.aArgs.size() < pCmd->nMinArgs || opts.aArgs.size() > pCmd->nMaxArgs)
        return "wrong number of arguments for " + opts.strCommand;
    return CheckArguments(*pCmd, opts);
}

std::string UsageText() {
    return "usage: glowdesk-cli [options] <command> [arguments]\n"
           "\n" +
           CommandsHelp() +
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
