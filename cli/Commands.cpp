// glowdesk-cli's run: the options parsed, --help and --version answered, and the
// command found in the table run.
#include "cli/Commands.h"

#include "cli/CliOptions.h"
#include "cli/CommandTable.h"
#include "cli/Complain.h"
#include "cli/DeviceRun.h"
#include "cli/ExitStatus.h"

#ifndef GLOWDESK_VERSION
#define GLOWDESK_VERSION "1.01"
#endif

int RunCli(const std::vector<std::string>& aArgs, CliContext& ctx) {
    CliOptions opts;
    const std::string strError = ParseCliOptions(aArgs, opts);
    if (!strError.empty())
        return Complain(ctx, kExitUsage, strError);
    if (opts.bHelp) {
        ctx.out << UsageText();
        return kExitDone;
    }
    if (opts.bVersion) {
        ctx.out << "glowdesk-cli " << GLOWDESK_VERSION << "\n";
        return kExitDone;
    }
    const CliCommand& cmd = *FindCommand(opts.strCommand);
    return cmd.NeedsDevice() ? RunDevices(cmd, opts, ctx) : cmd.fnRun(opts, ctx);
}
