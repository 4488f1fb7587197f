// info: the static info and where each program lies in the EEPROM.
#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Report.h"

namespace {

std::vector<JobStep> Steps(const CliOptions&) {
    std::vector<JobStep> aSteps{{DeviceOp::StaticInfo, 0}};
    for (int n = 1; n <= kProgCount; ++n)
        aSteps.push_back({DeviceOp::ProgInfo, n});
    return aSteps;
}

int Conclude(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool, const ProgramStore&) {
    CDeviceLink& link = job.Link();
    InfoReport report{job.PortName(), link.Version(), link.Facts(), {}};
    for (int n = 1; n <= kProgCount; ++n) {
        const LightProgram& prog = link.Store().aProgs[n - 1];
        report.aPlaces.push_back({n, prog.PosProgLen, prog.PosProgName, prog.PosProgData});
    }
    ctx.out << (opts.bJson ? FormatInfoJson(report) : FormatInfoText(report));
    return kExitDone;
}

}  // namespace

const CliCommand& InfoCommand() {
    static const CliCommand cmd{.pName = "info",
                                .pArgs = "",
                                .pHelp = "print the static info and where each program lies",
                                .bJson = true,
                                .fnSteps = Steps,
                                .fnConclude = Conclude};
    return cmd;
}
