// play: a program played on the Handheld's LEDs, from its memory or from a file.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"

namespace {

std::vector<JobStep> Steps(const CliOptions& opts) {
    const JobStep play{DeviceOp::Play, opts.nProg, opts.nStepMs, opts.nForSeconds * 1000};
    if (!opts.strFile.empty())
        return {play};
    return {{DeviceOp::ReadProg, opts.nProg}, play};
}

}  // namespace

// As leds, it leaves the Handheld in configuration mode, the only one with LED requests.
const CliCommand& PlayCommand() {
    static const CliCommand cmd{.pName = "play",
                                .pArgs = "N",
                                .pHelp =
                                    "play program N on the Handheld's LEDs until Ctrl-C;\n"
                                    "the Handheld stays in configuration mode",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeProgArg,
                                .bPlayOptions = true,
                                .file = FileUse::ReadsIfGiven,
                                .bStay = true,
                                .fnSteps = Steps};
    return cmd;
}
