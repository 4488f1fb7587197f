// mix: the MIX random length, read or written.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"

namespace {

std::string TakeArgs(CliOptions& opts) {
    if (opts.aArgs.empty())
        return {};
    opts.nMixValue = ParseNumber(opts.aArgs[0], 0, 255);
    if (opts.nMixValue < 0)
        return "MIX length must be 0-255: " + opts.aArgs[0];
    return {};
}

std::vector<JobStep> Steps(const CliOptions& opts) {
    return {{opts.nMixValue < 0 ? DeviceOp::ReadMix : DeviceOp::WriteMix, 0}};
}

void Prepare(const CliOptions& opts, CDeviceLink& link) {
    if (opts.nMixValue >= 0)
        link.Store().RandomLen = static_cast<uint8_t>(opts.nMixValue);
}

int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool, const ProgramStore&) {
    if (opts.nMixValue < 0)
        ctx.out << static_cast<int>(job.Link().Store().RandomLen) << "\n";
    return kExitDone;
}

}  // namespace

const CliCommand& MixCommand() {
    static const CliCommand cmd{.pName = "mix",
                                .pArgs = "[VALUE]",
                                .pHelp = "print the MIX random length, or write VALUE (0-255)",
                                .nMinArgs = 0,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeArgs,
                                .fnSteps = Steps,
                                .fnPrepare = Prepare,
                                .fnConclude = Conclude};
    return cmd;
}
