#include "cli/PortResolve.h"

#include <memory>

#include "cli/Complain.h"
#include "cli/ExitStatus.h"
#include "serial/ComApi.h"

int ResolvePorts(const CliOptions& opts, CliContext& ctx, std::vector<PortSpec>& aSpecs) {
    if (opts.bEmulate) {
        for (const std::string& strValue : opts.aPorts) {
            PortSpec spec;
            const std::string strError = ParsePortSpec(strValue, spec);
            if (!strError.empty())
                return Complain(ctx, kExitUsage, strError);
            if (spec.nNumber == 0)
                spec.nNumber = 1;  // the emulated Handheld answers on any port
            aSpecs.push_back(spec);
        }
        if (aSpecs.empty())
            aSpecs.push_back(PortSpec{1, "", "COM1"});
    } else {
        std::unique_ptr<ComApi> pApi = ctx.fnMakeApi();
        if (opts.aPorts.empty()) {
            PortSpec spec;
            const std::vector<FoundPort> aFound = FindPorts(*pApi);
            const std::string strError = ChooseOnlyPort(aFound, spec);
            if (!strError.empty())
                return Complain(ctx, aFound.empty() ? kExitPort : kExitUsage, strError);
            aSpecs.push_back(spec);
        }
        for (const std::string& strValue : opts.aPorts) {
            PortSpec spec;
            std::string strError = ParsePortSpec(strValue, spec);
            if (!strError.empty())
                return Complain(ctx, kExitUsage, strError);
            strError = BindPortPath(spec, *pApi);
            if (!strError.empty())
                return Complain(ctx, kExitPort, strError);
            aSpecs.push_back(spec);
        }
    }
    for (size_t i = 0; i < aSpecs.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (aSpecs[i].strName == aSpecs[j].strName)
                return Complain(ctx, kExitUsage, "port given twice: " + aSpecs[i].strName);
        }
    }
    return kExitDone;
}
