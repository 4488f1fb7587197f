// ports: the ports found, without a device.
#include <memory>

#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/PortChoice.h"
#include "cli/Report.h"
#include "serial/ComApi.h"

namespace {

int Run(const CliOptions& opts, CliContext& ctx) {
    std::unique_ptr<ComApi> pApi = ctx.fnMakeApi();
    const std::vector<FoundPort> aFound = FindPorts(*pApi);
    ctx.out << (opts.bJson ? FormatPortsJson(aFound) : FormatPortsText(aFound));
    return kExitDone;
}

}  // namespace

const CliCommand& PortsCommand() {
    static const CliCommand cmd{.pName = "ports",
                                .pArgs = "",
                                .pHelp = "list the ports found: COMn<TAB>device",
                                .bJson = true,
                                .fnRun = Run};
    return cmd;
}
