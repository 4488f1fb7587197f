#include "tests/support/FakeComApi.h"

#include <algorithm>

#include "serial/ComPortTable.h"

PortHandle FakeComApi::CreateFile(const std::string& strName) {
    aCalls.push_back("CreateFile " + strName);
    const auto it = mapPorts.find(ComNumberFromName(strName));
    const Port port = it == mapPorts.end() ? Port::Absent : it->second;
    switch (port) {
        case Port::Present: {
            const PortHandle hPort = hNext++;
            setOpen.insert(hPort);
            nLastError = 0;
            return hPort;
        }
        case Port::AccessDenied:
            nLastError = ERROR_ACCESS_DENIED;
            break;
        case Port::GenFailure:
            nLastError = ERROR_GEN_FAILURE;
            break;
        case Port::SharingViolation:
            nLastError = ERROR_SHARING_VIOLATION;
            break;
        case Port::SemTimeout:
            nLastError = ERROR_SEM_TIMEOUT;
            break;
        case Port::Absent:
            nLastError = ERROR_FILE_NOT_FOUND;
            break;
    }
    return kInvalidHandle;
}

bool FakeComApi::SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) {
    aCalls.push_back("SetCommTimeouts");
    lastTimeouts = timeouts;
    return Known(hPort) && !bFailSetCommTimeouts;
}

bool FakeComApi::SetCommState(PortHandle hPort, const Dcb& dcb) {
    aCalls.push_back("SetCommState");
    lastDcb = dcb;
    return Known(hPort) && !bFailSetCommState;
}

bool FakeComApi::ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) {
    aCalls.push_back("ClearCommError");
    nErrors = 0;
    nInQueue = 0;
    if (!Known(hPort))
        return false;
    nErrors = nPendingErrors;
    nPendingErrors = 0;
    nInQueue = static_cast<uint32_t>(acRx.size());
    return true;
}

bool FakeComApi::PurgeComm(PortHandle hPort, uint32_t nFlags) {
    aCalls.push_back("PurgeComm " + std::to_string(nFlags));
    if (!Known(hPort) || bFailPurgeComm)
        return false;
    if (nFlags & (PURGE_RXABORT | PURGE_RXCLEAR))
        acRx.clear();
    return true;
}

bool FakeComApi::ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) {
    aCalls.push_back("ReadFile " + std::to_string(nCount));
    nDone = 0;
    if (!Known(hPort) || bFailReadFile)
        return false;
    const uint32_t nTake =
        std::min<uint32_t>({nCount, nReadLimit, static_cast<uint32_t>(acRx.size())});
    for (uint32_t i = 0; i < nTake; ++i) {
        pBuf[i] = acRx.front();
        acRx.pop_front();
    }
    nDone = nTake;
    return true;
}

bool FakeComApi::WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                           uint32_t& nDone) {
    aCalls.push_back("WriteFile " + std::to_string(nCount));
    nDone = 0;
    if (!Known(hPort) || bFailWriteFile)
        return false;
    strWritten.append(reinterpret_cast<const char*>(pBuf), nCount);
    nDone = nCount;
    return true;
}

bool FakeComApi::CloseHandle(PortHandle hPort) {
    aCalls.push_back("CloseHandle");
    if (!Known(hPort) || bFailCloseHandle)
        return false;
    setOpen.erase(hPort);
    return true;
}

std::string FakeComApi::DevicePath(unsigned nPort) {
    return "/dev/fake" + std::to_string(nPort);
}

int FakeComApi::CountCalls(const std::string& strPrefix) const {
    return static_cast<int>(std::count_if(aCalls.begin(), aCalls.end(), [&](const std::string& s) {
        return s.compare(0, strPrefix.size(), strPrefix) == 0;
    }));
}
