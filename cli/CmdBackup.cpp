// backup: all nine programs and the MIX length from the Handheld into a file.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/ResultFile.h"

namespace {

std::vector<JobStep> Steps(const CliOptions&) {
    return {{DeviceOp::ReadAll, 0}};
}

int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
             const ProgramStore&) {
    return WriteResultFile(opts, ctx, job, bSeveral, false,
                           [&](const std::string& s) { return job.Link().StoreFile(s); });
}

}  // namespace

const CliCommand& BackupCommand() {
    static const CliCommand cmd{.pName = "backup",
                                .pArgs = "FILE",
                                .pHelp = "read all nine programs and the MIX length into FILE",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeFileArg,
                                .bSeveralPorts = true,
                                .file = FileUse::Writes,
                                .bProgress = true,
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
