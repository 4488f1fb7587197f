#include "serial/SerialPort.h"

#include <array>
#include <charconv>
#include <iterator>
#include <string>

namespace {
constexpr uint32_t kMaxDword = 0xFFFFFFFF;
constexpr unsigned kMaxProbedPort = 255;

// "\\.\COM%d" for 1-4 and "\\.\COM%2.2d" from 5 up: the two-digit form starts at 5.
std::string DeviceName(unsigned nPort) {
    char acName[16] = "\\\\.\\COM";
    char* pEnd = acName + std::char_traits<char>::length(acName);
    if (nPort >= 5 && nPort <= 9)
        *pEnd++ = '0';
    pEnd = std::to_chars(pEnd, std::end(acName), nPort).ptr;
    return std::string(acName, pEnd);
}

// The names of the probed ports, built once: every enumeration names all of them.
const std::string& ProbedDeviceName(unsigned nPort) {
    static const auto kNames = [] {
        std::array<std::string, kMaxProbedPort + 1> aNames;
        for (unsigned n = 1; n <= kMaxProbedPort; ++n)
            aNames[n] = DeviceName(n);
        return aNames;
    }();
    return kNames.at(nPort);
}

bool CountsAsPresent(uint32_t nError) {
    return nError == ERROR_ACCESS_DENIED || nError == ERROR_GEN_FAILURE ||
           nError == ERROR_SHARING_VIOLATION || nError == ERROR_SEM_TIMEOUT;
}

// Anything that is not an open port: the platform is never called with it.
bool IsClosed(PortHandle hPort) {
    return hPort == kNullHandle || hPort == kInvalidHandle;
}
}  // namespace

int CSerialPort::EnumeratePorts(std::vector<unsigned>& aPorts) {
    aPorts.clear();
    if (std::optional<std::vector<unsigned>> listed = api.ListPorts()) {
        for (unsigned nPort : *listed)
            if (nPort >= 1 && nPort <= kMaxProbedPort)
                aPorts.push_back(nPort);
        return static_cast<int>(aPorts.size());
    }
    for (unsigned nPort = 1; nPort <= kMaxProbedPort; ++nPort) {
        // Where the platform can tell without opening, no port is disturbed.
        const std::string& strName = ProbedDeviceName(nPort);
        const std::optional<bool> known = api.PresentWithoutOpening(strName);
        if (known) {
            if (*known)
                aPorts.push_back(nPort);
            continue;
        }
        const PortHandle hPort = api.CreateFile(strName);
        bool bPresent;
        if (hPort != kInvalidHandle) {
            api.CloseHandle(hPort);
            bPresent = true;
        } else {
            bPresent = CountsAsPresent(api.GetLastError());
        }
        if (bPresent)
            aPorts.push_back(nPort);
    }
    return static_cast<int>(aPorts.size());
}

int CSerialPort::InitLineSettings(ComSettings& settings, unsigned nPort, uint32_t nBaud,
                                  uint8_t bEmu) {
    Dcb& dcb = settings.dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = nBaud;
    dcb.fBinary = 0;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 1;
    dcb.fInX = 1;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 1000;
    dcb.XoffLim = 1000;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    settings.nPort = nPort;
    settings.bEmulation = bEmu;
    bEmulation = bEmu;
    return 1;
}

const char* CSerialPort::DescribeSettings(ComSettings settings) {
    const Dcb& dcb = settings.dcb;
    if (settings.bEmulation) {
        strDescription = "ComEmu, ";
    } else if (settings.nPort >= 1 && settings.nPort <= 4) {
        strDescription = "Com" + std::to_string(settings.nPort) + ", ";
    } else {
        strDescription = "Com?, ";
    }

    switch (dcb.BaudRate) {
        case 9600:
        case 19200:
        case 38400:
        case 56000:
        case 57600:
        case 115200:
            strDescription += std::to_string(dcb.BaudRate) + " Baud, ";
            break;
        default:
            strDescription += "? Baud, ";
    }

    if (dcb.ByteSize == 7) {
        strDescription += "7 Bit, ";
    } else if (dcb.ByteSize == 8) {
        strDescription += "8 Bit, ";
    } else {
        strDescription += "? Bit, ";
    }

    if (dcb.StopBits == ONESTOPBIT) {
        strDescription += "1 Stop, ";
    } else if (dcb.StopBits == TWOSTOPBITS) {
        strDescription += "2 Stop, ";
    } else {
        strDescription += "? Stop, ";
    }

    switch (dcb.Parity) {
        case NOPARITY:
            strDescription += "no Parity";
            break;
        case ODDPARITY:
            strDescription += "odd Parity";
            break;
        case EVENPARITY:
            strDescription += "even Parity";
            break;
        default:
            strDescription += "? Parity";
    }
    return strDescription.c_str();
}

const char* CSerialPort::Open(PortHandle& hPort, ComSettings settings) {
    strOpenResult.clear();
    if (settings.nPort == 0 || settings.nPort > kMaxOpenPort)
        return nullptr;

    hPort = api.CreateFile(DeviceName(settings.nPort));
    if (hPort == kInvalidHandle) {
        strOpenResult = api.LastErrorText();
        if (strOpenResult.empty())
            strOpenResult = "INVLID_HANDLE_VALUE";
        return strOpenResult.c_str();
    }

    CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = kMaxDword;  // reads return at once with what is there
    timeouts.WriteTotalTimeoutConstant = kWriteBoundMs;
    if (!api.SetCommTimeouts(hPort, timeouts)) {
        api.CloseHandle(hPort);
        hPort = kNullHandle;
        strOpenResult = "Could not set comm timeouts";
        return strOpenResult.c_str();
    }
    if (!api.SetCommState(hPort, settings.dcb)) {
        api.CloseHandle(hPort);
        hPort = kNullHandle;
        strOpenResult = "Could not set the comstate";
        return strOpenResult.c_str();
    }
    return strOpenResult.c_str();
}

int CSerialPort::Close(PortHandle& hPort) {
    if (IsClosed(hPort))
        return 0;
    FlushReceive(hPort);
    PurgeTransmit(hPort);
    if (!api.CloseHandle(hPort))
        return 0;
    hPort = kInvalidHandle;
    return 1;
}

int CSerialPort::BytesWaiting(PortHandle& hPort) {
    if (IsClosed(hPort))
        return 0;
    uint32_t nErrors = 0;
    uint32_t nInQueue = 0;
    api.ClearCommError(hPort, nErrors, nInQueue);
    // A line error ends this poll; the bytes stay queued for the next one.
    if (nErrors & kLineErrorMask)
        return 0;
    return static_cast<int>(nInQueue);
}

int CSerialPort::FlushReceive(PortHandle& hPort) {
    if (IsClosed(hPort))
        return 0;
    if (BytesWaiting(hPort) >= 1)
        return api.PurgeComm(hPort, PURGE_RXABORT | PURGE_RXCLEAR);
    return 0;
}

int CSerialPort::PurgeTransmit(PortHandle& hPort) {
    if (IsClosed(hPort))
        return 0;
    return api.PurgeComm(hPort, PURGE_TXABORT | PURGE_TXCLEAR);
}

int CSerialPort::Write(PortHandle& hPort, const uint8_t* pBytes, int nCount) {
    if (IsClosed(hPort) || pBytes == nullptr || nCount <= 0)
        return 0;
    uint32_t nDone = 0;
    bFrameLeftQueued = false;
    const bool bOk = api.WriteFile(hPort, pBytes, static_cast<uint32_t>(nCount), nDone);
    if (bOk && nDone == static_cast<uint32_t>(nCount))
        return nCount;
    // Given up (a time-out completes with fewer bytes): what the driver still holds
    // would reach the Handheld after an XON as a stale request.
    bFrameLeftQueued = !PurgeTransmit(hPort) && !api.HasGoneAway(hPort);
    return bOk ? static_cast<int>(nDone) : 0;
}

int CSerialPort::Read(PortHandle& hPort, uint8_t* pBuf, int nSize) {
    if (pBuf == nullptr || nSize <= 0)
        return 0;
    pBuf[0] = 0;
    if (IsClosed(hPort))
        return 0;
    int n = BytesWaiting(hPort);
    if (n <= 0)
        return 0;
    if (n > nSize)
        n = nSize;
    uint32_t nDone = 0;
    if (!api.ReadFile(hPort, pBuf, static_cast<uint32_t>(n), nDone))
        return 0;
    // The count actually read: fewer bytes than announced must not pass as data.
    return static_cast<int>(nDone);
}
