#include "cli/StoreDiffOutput.h"

#include "cli/ExitStatus.h"
#include "programs/StoreCompare.h"

int PrintStoreDifferences(CliContext& ctx, CDeviceJob& job, bool bSeveral,
                          const ProgramStore& expected) {
    const std::vector<std::string> aLines = StoreDifferences(expected, job.Link().Store());
    for (const std::string& strLine : aLines)
        ctx.out << (bSeveral ? job.PortName() + ": " : std::string()) << strLine << "\n";
    return aLines.empty() ? kExitDone : kExitDiffer;
}
