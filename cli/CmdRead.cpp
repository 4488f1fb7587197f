// read: one program from the Handheld into a file, the rest of the file kept.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/ResultFile.h"

namespace {

std::vector<JobStep> Steps(const CliOptions& opts) {
    return {{DeviceOp::ReadProg, opts.nProg}};
}

int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
             const ProgramStore&) {
    return WriteResultFile(opts, ctx, job, bSeveral, true, [&](const std::string& s) {
        job.Link().WriteProgToFile(opts.nProg, s);
        return true;
    });
}

}  // namespace

const CliCommand& ReadCommand() {
    static const CliCommand cmd{.pName = "read",
                                .pArgs = "N FILE",
                                .pHelp = "read program N (1-9) into FILE, keeping the others",
                                .nMinArgs = 2,
                                .nMaxArgs = 2,
                                .fnTakeArgs = TakeProgAndFileArgs,
                                .file = FileUse::Updates,
                                .bProgress = true,
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
