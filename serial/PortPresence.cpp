#include "serial/PortPresence.h"

#include <string_view>

bool IsUartNodeName(const std::string& strName) {
    constexpr std::string_view kPrefix = "ttyS";
    if (strName.size() <= kPrefix.size() || !strName.starts_with(kPrefix))
        return false;
    for (size_t i = kPrefix.size(); i < strName.size(); ++i) {
        if (strName[i] < '0' || strName[i] > '9')
            return false;
    }
    return true;
}

bool IsPortPresent(const PortNodeFacts& facts) {
    if (!facts.bExists || !facts.bCharDevice)
        return false;
    if (!facts.bKernelTty)
        return true;  // a pseudo-terminal, or a system without /sys
    if (!facts.bHasDevice)
        return false;
    if (IsUartNodeName(facts.strName) && facts.nUartType && *facts.nUartType == 0)
        return false;
    return true;
}
