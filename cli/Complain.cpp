#include "cli/Complain.h"

#include "cli/ExitStatus.h"

int Complain(CliContext& ctx, int nStatus, const std::string& strText) {
    ctx.err << "glowdesk-cli: " << strText << "\n";
    if (nStatus == kExitUsage)
        ctx.err << "Try 'glowdesk-cli --help'.\n";
    return nStatus;
}
