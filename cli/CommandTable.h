// Every command of glowdesk-cli, in the order the help lists them.
#pragma once

#include <string>
#include <vector>

#include "cli/CliCommand.h"

const std::vector<const CliCommand*>& CliCommands();
// nullptr for a name that is no command.
const CliCommand* FindCommand(const std::string& strName);
// The commands' part of the help: one line per command (more for a long text), the
// texts in one column.
std::string CommandsHelp();
