// list: the listing of a program file, without a device.
#include "cli/CliCommand.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/Complain.h"
#include "cli/DeviceLink.h"
#include "cli/ExitStatus.h"

namespace {

int Run(const CliOptions& opts, CliContext& ctx) {
    CDeviceLink link(LinkSetup{1, true, false, false, nullptr, {}});
    if (!link.LoadFile(opts.strFile))
        return Complain(ctx, kExitFile, "cannot read " + opts.strFile);
    for (const std::string& strRow : link.Listing())
        ctx.out << strRow << "\n";
    return kExitDone;
}

}  // namespace

const CliCommand& ListCommand() {
    static const CliCommand cmd{.pName = "list",
                                .pArgs = "FILE",
                                .pHelp = "print the listing of a program file (no device)",
                                .nMinArgs = 1,
                                .nMaxArgs = 1,
                                .fnTakeArgs = TakeFileArg,
                                .fnRun = Run};
    return cmd;
}
