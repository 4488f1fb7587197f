#include "cli/PortChoice.h"

#include <filesystem>

#include "cli/Platform.h"
#include "serial/ComPortTable.h"
#include "serial/SerialPort.h"

namespace {
[[maybe_unused]] bool LooksLikeComName(const std::string& s) {
    return s.size() >= 3 && (s[0] | 0x20) == 'c' && (s[1] | 0x20) == 'o' && (s[2] | 0x20) == 'm';
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}
}  // namespace

std::string ParsePortSpec(const std::string& strValue, PortSpec& spec) {
    spec = PortSpec{};
    unsigned nNumber = 0;
    if (AllDigits(strValue)) {
        nNumber = strValue.size() <= 3 ? static_cast<unsigned>(std::stoul(strValue)) : 0;
    } else {
        nNumber = ComNumberFromName(strValue);
        if (nNumber == 0) {
#ifdef _WIN32
            // Windows opens its ports by COM name alone.
            return "not a port: " + strValue;
#else
            if (strValue.empty() || LooksLikeComName(strValue))
                return "not a port: " + strValue;
            spec.strPath = strValue;
            spec.strName = std::filesystem::path(strValue).filename().string();
            if (spec.strName.empty())
                spec.strName = strValue;
            return {};
#endif
        }
    }
    if (nNumber < 1 || nNumber > kMaxOpenPort)
        return "port number must be 1-99: " + strValue;
    spec.nNumber = nNumber;
    spec.strName = "COM" + std::to_string(nNumber);
    return {};
}

std::string BindPortPath(PortSpec& spec, ComApi& api) {
    if (spec.strPath.empty())
        return {};
    for (unsigned n = 1; n <= kMaxOpenPort; ++n) {
        if (api.DevicePath(n) == spec.strPath) {
            spec.nNumber = n;
            return {};
        }
    }
    for (unsigned n = kMaxOpenPort; n >= 1; --n) {
        if (api.DevicePath(n).empty() &&
            SetEnvVar("GLOWDESK_COM" + std::to_string(n), spec.strPath)) {
            spec.nNumber = n;
            return {};
        }
    }
    return "no free port number for " + spec.strPath;
}

std::vector<FoundPort> FindPorts(ComApi& api) {
    CSerialPort serial(api);
    std::vector<unsigned> aNumbers;
    serial.EnumeratePorts(aNumbers);
    std::vector<FoundPort> aFound;
    // Only numbers the open takes are offered, as in the window's port box.
    for (unsigned n : aNumbers)
        if (n <= kMaxOpenPort)
            aFound.push_back(FoundPort{n, api.DevicePath(n)});
    return aFound;
}

std::string ChooseOnlyPort(const std::vector<FoundPort>& aFound, PortSpec& spec) {
    if (aFound.size() == 1) {
        spec = PortSpec{};
        spec.nNumber = aFound[0].nNumber;
        spec.strName = "COM" + std::to_string(spec.nNumber);
        return {};
    }
    if (aFound.empty())
        return "no port found; name one with -p";
    std::string strText = "several ports found; choose one with -p:";
    for (const FoundPort& port : aFound)
        strText += "\n  COM" + std::to_string(port.nNumber) + "\t" + port.strDevice;
    return strText;
}

std::string FileForPort(const std::string& strFile, const std::string& strPortName) {
    const std::filesystem::path path(strFile);
    std::filesystem::path result = path.parent_path();
    result /= path.stem().string() + "-" + strPortName + path.extension().string();
    return result.string();
}
