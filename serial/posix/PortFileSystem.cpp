#include "serial/posix/PortFileSystem.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {
constexpr std::string_view kDev = "/dev";

bool PathExists(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0;
}

std::optional<long> ReadNumber(const std::string& strPath) {
    std::ifstream file(strPath);
    long nValue = 0;
    if (file >> nValue)
        return nValue;
    return std::nullopt;
}

std::string GroupName(unsigned nGroup) {
    group entry{};
    group* pFound = nullptr;
    char acBuf[4096];
    if (getgrgid_r(nGroup, &entry, acBuf, sizeof acBuf, &pFound) != 0 || pFound == nullptr)
        return {};
    return entry.gr_name;
}
}  // namespace

PortFileSystem& PortFileSystem::System() {
    static PortFileSystem system;
    return system;
}

std::string PortFileSystem::Locate(const std::string& strPath) const {
    if (strDevRoot != kDev && strPath.starts_with(kDev) &&
        (strPath.size() == kDev.size() || strPath[kDev.size()] == '/'))
        return strDevRoot + strPath.substr(kDev.size());
    return strPath;
}

PortNodeFacts PortFileSystem::Facts(const std::string& strPath) const {
    PortNodeFacts facts;
    const NodeStat st = StatNode(strPath);
    facts.bExists = st.bExists;
    facts.bCharDevice = st.bCharDevice;
    if (!facts.bExists)
        return facts;
    // The name the kernel knows the node by is the last one after following links.
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(strPath, error);
    if (error)
        return facts;
    facts.strName = resolved.filename().string();
    facts.bPseudoTerminal = resolved.parent_path() == "/dev/pts";
    facts.strGroup = GroupName(st.nGroup);
    const std::string strSysTty = strSysRoot + "/class/tty/" + facts.strName;
    facts.bKernelTty = PathExists(strSysTty);
    if (facts.bKernelTty) {
        facts.bHasDevice = PathExists(strSysTty + "/device");
        facts.nUartType = ReadNumber(strSysTty + "/type");
        const std::filesystem::path device =
            std::filesystem::canonical(strSysTty + "/device", error);
        facts.bLegacyPlatformDevice = !error && device.filename() == "serial8250";
    }
    return facts;
}

int PortFileSystem::OpenNode(const std::string& strPath, int nFlags) {
    return open(strPath.c_str(), nFlags);
}

PortFileSystem::NodeStat PortFileSystem::StatNode(const std::string& strPath) const {
    NodeStat result;
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) {
        result.bExists = true;
        result.bCharDevice = S_ISCHR(st.st_mode);
        result.nGroup = st.st_gid;
    }
    return result;
}
