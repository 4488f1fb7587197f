// What a command that compares the Handheld with a file prints (verify, restore --verify).
#pragma once

#include "cli/Commands.h"
#include "cli/DeviceJob.h"
#include "programs/LightProgram.h"

// One line per program that differs (with several ports after the port's name); the
// exit status: done, or differs.
int PrintStoreDifferences(CliContext& ctx, CDeviceJob& job, bool bSeveral,
                          const ProgramStore& expected);
