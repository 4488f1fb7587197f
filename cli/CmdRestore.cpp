// restore: all nine programs and the MIX length from a file onto the Handheld.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/ExitStatus.h"
#include "cli/StoreDiffOutput.h"

namespace {

std::vector<JobStep> Steps(const CliOptions& opts) {
    if (opts.bVerify)
        return {{DeviceOp::WriteAll, 0}, {DeviceOp::ReadAll, 0}};
    return {{DeviceOp::WriteAll, 0}};
}

int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
             const ProgramStore& expected) {
    return opts.bVerify ? PrintStoreDifferences(ctx, job, bSeveral, expected) : kExitDone;
}

}  // namespace

const CliCommand& RestoreCommand() {
    static const CliCommand cmd{.pName = "restore",
                                .pArgs = "FILE",
                                .pHelp = "write all nine programs and the MIX length from FILE",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeFileArg,
                                .bSeveralPorts = true,
                                .bVerify = true,
                                .file = FileUse::Reads,
                                .bProgress = true,
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
