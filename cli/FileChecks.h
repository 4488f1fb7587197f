// Files are checked before the Handheld is touched, so that a long transfer does not end
// in a file that could never be read or written.
#pragma once

#include <vector>

#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "cli/PortChoice.h"

// The command reads a program file before it talks to the Handheld.
bool NeedsFile(const CliCommand& cmd, const CliOptions& opts);
// The file read; the exit status.
int CheckInputFile(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx);
// The files written, one per port when there are several; the exit status.
int CheckOutputFiles(const CliCommand& cmd, const CliOptions& opts, CliContext& ctx,
                     const std::vector<PortSpec>& aSpecs);
