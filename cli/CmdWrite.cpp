// write: one program from a file onto the Handheld.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"

namespace {

std::vector<JobStep> Steps(const CliOptions& opts) {
    return {{DeviceOp::WriteProg, opts.nProg}};
}

}  // namespace

const CliCommand& WriteCommand() {
    static const CliCommand cmd{.pName = "write",
                                .pArgs = "N FILE",
                                .pHelp = "write program N from FILE",
                                .nMinArgs = 2,
                                .nMaxArgs = 2,
                                .fnTakeArgs = TakeProgAndFileArgs,
                                .file = FileUse::Reads,
                                .bProgress = true,
                                .fnSteps = Steps};
    return cmd;
}
