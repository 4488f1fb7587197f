// A command that talks to one Handheld or several, run to its end.
#pragma once

#include "cli/CliCommand.h"
#include "cli/Commands.h"

// Checks the files, resolves the ports, runs the command on each port in one event loop
// and reports; the highest exit status.
int RunDevices(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx);
