#include "serial/EmulatedComApi.h"

#include <algorithm>

PortHandle CEmulatedComApi::CreateFile(const std::string&) {
    emulator.ResetEmulator();
    return kHandle;
}

bool CEmulatedComApi::ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) {
    nErrors = 0;
    nInQueue = hPort == kHandle ? static_cast<uint32_t>(emulator.AnswerBytesWaiting()) : 0;
    return hPort == kHandle;
}

bool CEmulatedComApi::PurgeComm(PortHandle hPort, uint32_t nFlags) {
    if (hPort != kHandle)
        return false;
    if (nFlags & (PURGE_RXABORT | PURGE_RXCLEAR))
        emulator.ResetEmulator();
    return true;
}

bool CEmulatedComApi::ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) {
    nDone = 0;
    if (hPort != kHandle)
        return false;
    const int nWant = static_cast<int>(std::min<uint32_t>(nCount, 0x7FFFFFFF));
    nDone = static_cast<uint32_t>(emulator.ReadAnswer(pBuf, nWant));
    return true;
}

bool CEmulatedComApi::WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                                uint32_t& nDone) {
    nDone = 0;
    if (hPort != kHandle)
        return false;
    // The Handheld answers a whole request at once, as it arrives.
    nDone = static_cast<uint32_t>(
        emulator.HandleFrame(pBuf, static_cast<int>(std::min<uint32_t>(nCount, 0x7FFFFFFF))));
    return true;
}
