// The ports a device command runs on, each bound to a COM number.
#pragma once

#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/PortChoice.h"

// From -p (with emulation any number, COM1 without one; else the only port found when
// none is given). The exit status; a failure has been said on the error output.
int ResolvePorts(const CliOptions& opts, CliContext& ctx, std::vector<PortSpec>& aSpecs);
