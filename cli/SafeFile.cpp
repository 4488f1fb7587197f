#include "cli/SafeFile.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#include "programs/FileReplace.h"

namespace {

// A name in the system's scratch folder that no other run uses.
std::string ScratchPath() {
    static std::atomic<unsigned> nCounter{0};
    std::error_code ec;
    const auto tNow = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    const std::string strName =
        "glowdesk-cli-" + std::to_string(tNow) + "-" + std::to_string(nCounter++) + ".ini";
    return (dir / strName).string();
}

bool Exists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec) || ec;
}

}  // namespace

bool WriteThroughScratch(const std::string& strTarget, bool bKeepRest,
                         const std::function<bool(const std::string&)>& fnWrite) {
    std::string strOld;
    bool bTruncated = false;
    if (bKeepRest && Exists(strTarget) &&
        (!ReadWholeFile(strTarget, strOld, &bTruncated) || bTruncated))
        return false;
    const std::string strScratch = ScratchPath();
    std::string strNew;
    bool bOk = (strOld.empty() || ReplaceFileContents(strScratch, strOld)) && fnWrite(strScratch) &&
               ReadWholeFile(strScratch, strNew);
    std::error_code ec;
    std::filesystem::remove(strScratch, ec);
    return bOk && ReplaceFileContents(strTarget, strNew);
}

bool CanReplace(const std::string& strTarget) {
    std::error_code ec;
    const std::filesystem::path target(strTarget);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    if (!std::filesystem::is_directory(dir, ec))
        return false;
    const std::filesystem::file_status status = std::filesystem::status(target, ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}
