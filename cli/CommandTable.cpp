#include "cli/CommandTable.h"

#include <algorithm>

namespace {

constexpr size_t kHelpColumn = 24;

// "  name ARGS", padded to the help column, and the help's first line; its further
// lines start in the column.
std::string HelpLines(const CliCommand& cmd) {
    std::string strHead = std::string("  ") + cmd.pName;
    if (*cmd.pArgs != '\0')
        strHead += std::string(" ") + cmd.pArgs;
    strHead.resize(std::max(kHelpColumn, strHead.size() + 1), ' ');
    std::string strOut;
    const std::string strHelp = cmd.pHelp;
    size_t nStart = 0;
    for (;;) {
        const size_t nEnd = strHelp.find('\n', nStart);
        strOut += (nStart == 0 ? strHead : std::string(kHelpColumn, ' ')) +
                  strHelp.substr(nStart, nEnd - nStart) + "\n";
        if (nEnd == std::string::npos)
            return strOut;
        nStart = nEnd + 1;
    }
}

}  // namespace

const std::vector<const CliCommand*>& CliCommands() {
    static const std::vector<const CliCommand*> aCommands{
        &PortsCommand(),   &VersionCommand(), &InfoCommand(), &BackupCommand(),
        &RestoreCommand(), &VerifyCommand(),  &ReadCommand(), &WriteCommand(),
        &MixCommand(),     &ListCommand(),    &LedsCommand(), &PlayCommand(),
    };
    return aCommands;
}

const CliCommand* FindCommand(const std::string& strName) {
    for (const CliCommand* pCmd : CliCommands()) {
        if (strName == pCmd->pName)
            return pCmd;
    }
    return nullptr;
}

std::string CommandsHelp() {
    std::string strOut;
    for (const CliCommand* pCmd : CliCommands())
        strOut += HelpLines(*pCmd);
    return strOut;
}
