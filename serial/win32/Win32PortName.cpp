#include "serial/win32/Win32PortName.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "serial/ComPortTable.h"

std::string Win32DeviceName(const std::string& strName) {
    constexpr std::string_view kPrefix = "\\\\.\\";
    std::string_view strRest = strName;
    if (strRest.starts_with(kPrefix)) {
        strRest.remove_prefix(kPrefix.size());
    }
    if (strRest.size() < 4 || strRest.size() > 3 + 9) {
        return strName;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(strRest[i])) != "COM"[i]) {
            return strName;
        }
    }
    unsigned nPort = 0;
    for (char ch : strRest.substr(3)) {
        if (ch < '0' || ch > '9') {
            return strName;
        }
        nPort = nPort * 10 + static_cast<unsigned>(ch - '0');
    }
    if (nPort == 0) {
        return strName;
    }
    return std::string(kPrefix) + "COM" + std::to_string(nPort);
}

std::vector<unsigned> PortsFromNames(const std::vector<std::string>& aNames) {
    std::vector<unsigned> aPorts;
    for (const std::string& strName : aNames) {
        const unsigned nPort = ComNumberFromName(strName);
        if (nPort != 0)
            aPorts.push_back(nPort);
    }
    std::sort(aPorts.begin(), aPorts.end());
    aPorts.erase(std::unique(aPorts.begin(), aPorts.end()), aPorts.end());
    return aPorts;
}
