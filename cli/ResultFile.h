// The program file a device command leaves (backup, read).
#pragma once

#include <functional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/DeviceJob.h"

// Writes the file of opts (with several ports the port's own) through a scratch file:
// fnWrite writes it, keeping the rest of the old file when bKeepRest. The exit status.
int WriteResultFile(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
                    bool bKeepRest, const std::function<bool(const std::string&)>& fnWrite);
