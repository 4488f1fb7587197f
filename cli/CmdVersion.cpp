// version: the version text the Handheld gives at the connect.
#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"

namespace {

std::vector<JobStep> Steps(const CliOptions&) {
    return {};  // the connect reads it
}

int Conclude(const CliOptions&, CliContext& ctx, CDeviceJob& job, bool, const ProgramStore&) {
    ctx.out << job.Link().Version() << "\n";
    return kExitDone;
}

}  // namespace

const CliCommand& VersionCommand() {
    static const CliCommand cmd{.pName = "version",
                                .pArgs = "",
                                .pHelp = "print the Handheld's version text",
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
