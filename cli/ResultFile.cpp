#include "cli/ResultFile.h"

#include "cli/Complain.h"
#include "cli/ExitStatus.h"
#include "cli/PortChoice.h"
#include "cli/SafeFile.h"

int WriteResultFile(const CliOptions& opts, CliContext& ctx, CDeviceJob& job, bool bSeveral,
                    bool bKeepRest, const std::function<bool(const std::string&)>& fnWrite) {
    const std::string strFile = bSeveral ? FileForPort(opts.strFile, job.PortName()) : opts.strFile;
    if (!WriteThroughScratch(strFile, bKeepRest, fnWrite))
        return Complain(ctx, kExitFile, "cannot write " + strFile);
    return kExitDone;
}
