// verify: does the Handheld hold what a file holds?
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/StoreDiffOutput.h"

namespace {

std::vector<JobStep> Steps(const CliOptions&) {
    return {{DeviceOp::ReadAll, 0}};
}

int Conclude(const CliOptions&, CliContext& ctx, CDeviceJob& job, bool bSeveral,
             const ProgramStore& expected) {
    return PrintStoreDifferences(ctx, job, bSeveral, expected);
}

}  // namespace

const CliCommand& VerifyCommand() {
    static const CliCommand cmd{.pName = "verify",
                                .pArgs = "FILE",
                                .pHelp = "compare the Handheld's programs and MIX length with FILE",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeFileArg,
                                .bSeveralPorts = true,
                                .file = FileUse::Reads,
                                .bProgress = true,
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
