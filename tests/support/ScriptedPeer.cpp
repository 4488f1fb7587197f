#include "tests/support/ScriptedPeer.h"

#include <cstdlib>
#include <cstring>

namespace {

// "\\.\COM3" or "\\.\COM05" -> 3 or 5.
unsigned PortOfName(const std::string& strName) {
    const auto nPos = strName.rfind("COM");
    if (nPos == std::string::npos)
        return 0;
    return static_cast<unsigned>(std::strtoul(strName.c_str() + nPos + 3, nullptr, 10));
}

}  // namespace

PortHandle ScriptedPeer::CreateFile(const std::string& strName) {
    const unsigned nPort = PortOfName(strName);
    if (aPresent.count(nPort)) {
        ++nOpen;
        return kHandle;
    }
    nLastError = aBusy.count(nPort) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    return kInvalidHandle;
}

bool ScriptedPeer::ClearCommError(PortHandle, uint32_t& nErrors, uint32_t& nInQueue) {
    nErrors = 0;
    nInQueue = static_cast<uint32_t>(strRx.size());
    return true;
}

bool ScriptedPeer::PurgeComm(PortHandle, uint32_t nFlags) {
    if (nFlags & PURGE_RXCLEAR)
        strRx.clear();
    return true;
}

bool ScriptedPeer::ReadFile(PortHandle, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) {
    ++nReads;
    nDone = 0;
    if (bReadYieldsNothing)
        return true;
    nDone = static_cast<uint32_t>(std::min<size_t>(nCount, strRx.size()));
    std::memcpy(pBuf, strRx.data(), nDone);
    strRx.erase(0, nDone);
    return true;
}

bool ScriptedPeer::WriteFile(PortHandle, const uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) {
    const std::string strFrame(reinterpret_cast<const char*>(pBuf), nCount);
    aWritten.push_back(strFrame);
    nDone = nCount;
    if (responder)
        strRx += responder(strFrame);
    return true;
}

bool ScriptedPeer::CloseHandle(PortHandle) {
    --nOpen;
    return true;
}
