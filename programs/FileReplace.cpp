#include "programs/FileReplace.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& strPath, std::string& strOut, bool* pbTruncated) {
    strOut.clear();
    if (pbTruncated != nullptr)
        *pbTruncated = false;
    std::error_code ec;
    // Devices and pipes could block or never end.
    if (!fs::is_regular_file(fs::path(strPath), ec))
        return false;
    std::FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (pFile == nullptr)
        return false;
    const auto nSize = fs::file_size(fs::path(strPath), ec);
    if (!ec)
        strOut.reserve(nSize < kMaxReadBytes ? static_cast<size_t>(nSize) : kMaxReadBytes);
    char acBuf[1 << 16];
    for (;;) {
        const size_t nRead = std::fread(acBuf, 1, sizeof acBuf, pFile);
        if (nRead == 0)
            break;
        if (strOut.size() + nRead > kMaxReadBytes) {
            strOut.append(acBuf, kMaxReadBytes - strOut.size());
            if (pbTruncated != nullptr)
                *pbTruncated = true;
            break;
        }
        strOut.append(acBuf, nRead);
    }
    const bool bOk = std::ferror(pFile) == 0;
    std::fclose(pFile);
    if (!bOk)
        strOut.clear();
    return bOk;
}

namespace {

// Pushes the file's data to the disk before the rename makes it the target.
bool SyncFile(std::FILE* pFile) {
    if (std::fflush(pFile) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(pFile)) == 0;
#else
    return fsync(fileno(pFile)) == 0;
#endif
}

// A new file beside the target that no one else uses; nullptr when none can be made.
std::FILE* CreateTempBeside(const fs::path& target, fs::path& tempPath) {
    static unsigned nCounter = 0;
    const auto nStamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int nTry = 0; nTry < 100; ++nTry) {
        tempPath =
            dir / ("." + target.filename().string() + "." + std::to_string(nStamp % 1000000) + "-" +
                   std::to_string(++nCounter) + ".tmp");
        // "x": fail rather than reuse a file that is already there.
        std::FILE* pFile = std::fopen(tempPath.string().c_str(), "wbx");
        if (pFile != nullptr)
            return pFile;
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

}  // namespace

bool ReplaceFileContents(const std::string& strPath, const std::string& strData,
                         std::error_code* pError) {
    std::error_code ec;
    // The reason of the first failure, for a message to the user; errno of the call
    // that failed when it set one.
    const auto fail = [pError](std::error_code reason) {
        if (pError != nullptr)
            *pError = reason;
        return false;
    };
    const auto failErrno = [&fail](std::errc fallback) {
        return fail(errno != 0 ? std::error_code(errno, std::generic_category())
                               : std::make_error_code(fallback));
    };
    fs::path target = fs::path(strPath);
    // A link stays a link: the file it leads to is the one replaced.
    if (fs::is_symlink(target, ec)) {
        const fs::path real = fs::canonical(target, ec);
        if (ec)
            return fail(ec);
        target = real;
    }
    const fs::file_status status = fs::status(target, ec);
    const bool bExists = fs::exists(status);
    if (bExists) {
        if (fs::is_directory(status))
            return fail(std::make_error_code(std::errc::is_a_directory));
        if (!fs::is_regular_file(status))
            return fail(std::make_error_code(std::errc::invalid_argument));  // a device
        // A file the user may not write stays as it is, whatever the folder allows.
        errno = 0;
        std::FILE* pOld = std::fopen(target.string().c_str(), "r+b");
        if (pOld == nullptr)
            return failErrno(std::errc::permission_denied);
        std::fclose(pOld);
    }

    fs::path tempPath;
    errno = 0;
    std::FILE* pTemp = CreateTempBeside(target, tempPath);
    if (pTemp == nullptr)
        return failErrno(std::errc::permission_denied);
    errno = 0;
    bool bOk = std::fwrite(strData.data(), 1, strData.size(), pTemp) == strData.size();
    bOk = SyncFile(pTemp) && bOk;
    bOk = (std::fclose(pTemp) == 0) && bOk;
    if (!bOk)
        ec = errno != 0 ? std::error_code(errno, std::generic_category())
                        : std::make_error_code(std::errc::io_error);
    if (bOk && bExists)
        fs::permissions(tempPath, status.permissions(), ec);  // best effort
    if (bOk) {
        fs::rename(tempPath, target, ec);
        bOk = !ec;
    }
    if (!bOk) {
        std::error_code ecRemove;
        fs::remove(tempPath, ecRemove);
        return fail(ec);
    }
    return true;
}
