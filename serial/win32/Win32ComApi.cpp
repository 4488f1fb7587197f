// Serial primitives over the Win32 communications API: synchronous handles, no
// overlapped I/O; reads return at once because the port logic sets the read interval
// time-out to MAXDWORD.
#include <algorithm>

#include "serial/PlatformComApi.h"
#include "serial/win32/Win32PortName.h"

// The constants of the port logic carry the Windows names and values. Keep copies
// before windows.h turns those names into macros, to check the values below.
namespace {
constexpr uint32_t kOurErrorCodes[] = {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_GEN_FAILURE,
                                       ERROR_SHARING_VIOLATION, ERROR_SEM_TIMEOUT};
constexpr uint32_t kOurLineErrors[] = {CE_RXOVER, CE_OVERRUN, CE_RXPARITY, CE_FRAME,
                                       CE_BREAK,  CE_TXFULL,  CE_PTO,      CE_IOE,
                                       CE_DNS,    CE_OOP,     CE_MODE};
constexpr uint32_t kOurPurgeFlags[] = {PURGE_TXABORT, PURGE_RXABORT, PURGE_TXCLEAR, PURGE_RXCLEAR};
constexpr uint8_t kOurLineCodes[] = {DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, NOPARITY,
                                     ODDPARITY,           EVENPARITY,          ONESTOPBIT,
                                     ONE5STOPBITS,        TWOSTOPBITS};
}  // namespace

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// CreateFile is a macro for CreateFileA or CreateFileW; here it is the ComApi member.
#undef CreateFile

namespace {
constexpr bool Same(const uint32_t* pOurs, std::initializer_list<unsigned long> platform) {
    for (unsigned long n : platform) {
        if (*pOurs++ != n) {
            return false;
        }
    }
    return true;
}
static_assert(Same(kOurErrorCodes, {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_GEN_FAILURE,
                                    ERROR_SHARING_VIOLATION, ERROR_SEM_TIMEOUT}));
static_assert(Same(kOurLineErrors, {CE_RXOVER, CE_OVERRUN, CE_RXPARITY, CE_FRAME, CE_BREAK,
                                    CE_TXFULL, CE_PTO, CE_IOE, CE_DNS, CE_OOP, CE_MODE}));
static_assert(Same(kOurPurgeFlags, {PURGE_TXABORT, PURGE_RXABORT, PURGE_TXCLEAR, PURGE_RXCLEAR}));
static_assert(kOurLineCodes[0] == DTR_CONTROL_DISABLE && kOurLineCodes[1] == RTS_CONTROL_DISABLE &&
              kOurLineCodes[2] == NOPARITY && kOurLineCodes[3] == ODDPARITY &&
              kOurLineCodes[4] == EVENPARITY && kOurLineCodes[5] == ONESTOPBIT &&
              kOurLineCodes[6] == ONE5STOPBITS && kOurLineCodes[7] == TWOSTOPBITS);
static_assert(sizeof(DCB) == 28, "the device control block is 28 bytes");
// INVALID_HANDLE_VALUE is the handle with all bits set, as kInvalidHandle.
static_assert(sizeof(HANDLE) == sizeof(PortHandle) && kInvalidHandle == -1);

HANDLE ToHandle(PortHandle hPort) {
    return reinterpret_cast<HANDLE>(hPort);
}

// Input and output queues that hold a frame many times over and leave room for the
// XON/XOFF limits: XOFF goes out when fewer than XoffLim bytes are free.
DWORD QueueSizeFor(const DCB& dcb) {
    return std::max<DWORD>(4096, 2 * (DWORD{dcb.XonLim} + dcb.XoffLim));
}

DCB ToPlatformDcb(const Dcb& our) {
    DCB dcb{};
    dcb.DCBlength = our.DCBlength;
    dcb.BaudRate = our.BaudRate;
    dcb.fBinary = TRUE;  // Windows supports no other mode
    dcb.fParity = our.fParity & 1;
    dcb.fOutxCtsFlow = our.fOutxCtsFlow & 1;
    dcb.fOutxDsrFlow = our.fOutxDsrFlow & 1;
    dcb.fDtrControl = our.fDtrControl & 3;
    dcb.fDsrSensitivity = our.fDsrSensitivity & 1;
    dcb.fTXContinueOnXoff = our.fTXContinueOnXoff & 1;
    dcb.fOutX = our.fOutX & 1;
    dcb.fInX = our.fInX & 1;
    dcb.fErrorChar = our.fErrorChar & 1;
    dcb.fNull = our.fNull & 1;
    dcb.fRtsControl = our.fRtsControl & 3;
    dcb.fAbortOnError = our.fAbortOnError & 1;
    dcb.wReserved = our.wReserved;
    dcb.XonLim = our.XonLim;
    dcb.XoffLim = our.XoffLim;
    dcb.ByteSize = our.ByteSize;
    dcb.Parity = our.Parity;
    dcb.StopBits = our.StopBits;
    dcb.XonChar = our.XonChar;
    dcb.XoffChar = our.XoffChar;
    dcb.ErrorChar = our.ErrorChar;
    dcb.EofChar = our.EofChar;
    dcb.EvtChar = our.EvtChar;
    dcb.wReserved1 = our.wReserved1;
    return dcb;
}

class Win32ComApi : public ComApi {
public:
    PortHandle CreateFile(const std::string& strName) override {
        const std::string strDevice = Win32DeviceName(strName);
        HANDLE hPort = ::CreateFileA(strDevice.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        // Kept at once: the port logic asks after other calls may have changed it.
        nLastError = hPort == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        return reinterpret_cast<PortHandle>(hPort);
    }

    uint32_t GetLastError() override { return nLastError; }

    bool SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) override {
        COMMTIMEOUTS platform{};
        platform.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
        platform.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
        platform.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
        platform.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
        platform.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
        return ::SetCommTimeouts(ToHandle(hPort), &platform) != FALSE;
    }

    bool SetCommState(PortHandle hPort, const Dcb& dcb) override {
        DCB platform = ToPlatformDcb(dcb);
        const DWORD nQueue = QueueSizeFor(platform);
        // A driver may keep its own sizes; the limits are then its business.
        ::SetupComm(ToHandle(hPort), nQueue, nQueue);
        return ::SetCommState(ToHandle(hPort), &platform) != FALSE;
    }

    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override {
        DWORD dwErrors = 0;
        COMSTAT stat{};
        const BOOL bOk = ::ClearCommError(ToHandle(hPort), &dwErrors, &stat);
        nErrors = bOk ? dwErrors : 0;
        nInQueue = bOk ? stat.cbInQue : 0;
        return bOk != FALSE;
    }

    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override {
        return ::PurgeComm(ToHandle(hPort), nFlags) != FALSE;
    }

    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override {
        DWORD dwDone = 0;
        const BOOL bOk = ::ReadFile(ToHandle(hPort), pBuf, nCount, &dwDone, nullptr);
        nDone = bOk ? dwDone : 0;
        return bOk != FALSE;
    }

    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override {
        DWORD dwDone = 0;
        const BOOL bOk = ::WriteFile(ToHandle(hPort), pBuf, nCount, &dwDone, nullptr);
        nDone = bOk ? dwDone : 0;
        return bOk != FALSE;
    }

    bool CloseHandle(PortHandle hPort) override { return ::CloseHandle(ToHandle(hPort)) != FALSE; }

    std::string DevicePath(unsigned nPort) override { return "COM" + std::to_string(nPort); }

    // Read from the registry, so no port is opened to find it: opening raises DTR,
    // which resets some boards, and a Bluetooth port can block for seconds.
    std::optional<std::vector<unsigned>> ListPorts() override {
        HKEY hKey = nullptr;
        const LONG nOpen = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                                           KEY_QUERY_VALUE, &hKey);
        if (nOpen == ERROR_FILE_NOT_FOUND)
            return std::vector<unsigned>{};  // the key exists only while ports do
        if (nOpen != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<std::string> aNames;
        for (DWORD nIndex = 0;; ++nIndex) {
            char acValueName[256];
            DWORD nValueName = sizeof acValueName;
            BYTE acData[256] = {};
            DWORD nData = sizeof acData - 1;
            DWORD nType = 0;
            const LONG nEnum = ::RegEnumValueA(hKey, nIndex, acValueName, &nValueName, nullptr,
                                               &nType, acData, &nData);
            if (nEnum == ERROR_NO_MORE_ITEMS)
                break;
            if (nEnum == ERROR_SUCCESS && nType == REG_SZ)
                aNames.emplace_back(reinterpret_cast<const char*>(acData));
        }
        ::RegCloseKey(hKey);
        return PortsFromNames(aNames);
    }

private:
    uint32_t nLastError = ERROR_SUCCESS;
};
}  // namespace

std::unique_ptr<ComApi> CreatePlatformComApi() {
    return std::make_unique<Win32ComApi>();
}
