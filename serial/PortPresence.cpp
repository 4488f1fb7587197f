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
    return facts.bHasDevice && !IsUartPlaceholder(facts);
}

bool IsUartPlaceholder(const PortNodeFacts& facts) {
    if (!IsUartNodeName(facts.strName))
        return false;
    if (facts.nUartType)
        return *facts.nUartType == 0;
    return facts.bLegacyPlatformDevice;
}

bool SettingsChangesStayLocal(const PortNodeFacts& facts) {
    return facts.bPseudoTerminal || IsUartNodeName(facts.strName) ||
           facts.strName.starts_with("ttyAMA");
}
