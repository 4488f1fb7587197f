#include <gtest/gtest.h>

#include "cli/CommandTable.h"

namespace {

// Each command has one help line of its own, its text in the column of the others, and
// a long text goes on in that column.
TEST(CommandTable, HelpLinesLineUpInOneColumn) {
    const std::string strHelp = CommandsHelp();
    for (const CliCommand* pCmd : CliCommands()) {
        const std::string strHead = std::string("\n  ") + pCmd->pName + " ";
        EXPECT_NE(("\n" + strHelp).find(strHead), std::string::npos) << pCmd->pName;
        EXPECT_EQ(FindCommand(pCmd->pName), pCmd);
    }
    EXPECT_NE(strHelp.find("  mix [VALUE]           print the MIX random length"),
              std::string::npos);
    EXPECT_NE(strHelp.find("(LED 8 first),\n                        0xA5 or off;"),
              std::string::npos);
    EXPECT_EQ(FindCommand("help"), nullptr);
}

}  // namespace
