#include "serial/posix/PosixComApi.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "serial/PlatformComApi.h"

namespace {
constexpr uint32_t kMaxDword = 0xFFFFFFFF;
constexpr uint8_t kControlEnable = 1;  // DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE

uint32_t ErrorFromErrno(int nErr) {
    switch (nErr) {
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBUSY:
            return ERROR_SHARING_VIOLATION;
        default:  // ENOENT, ENODEV, ENXIO, EIO, ...: nothing usable there
            return ERROR_FILE_NOT_FOUND;
    }
}

bool IsGoneError(int nErr) {
    return nErr == EIO || nErr == ENXIO || nErr == ENODEV;
}

constexpr const char* kHeldElsewhere = "in use by another program";

// The system's words for a failed open, and what the user can do about it.
std::string OpenErrorText(const std::string& strPath, int nErr) {
    std::string strText = strPath + ": " + std::strerror(nErr);
    if (nErr == EACCES || nErr == EPERM)
        strText += " (the user needs to be in the dialout group)";
    else if (nErr == EBUSY)
        strText += std::string(" (") + kHeldElsewhere + ")";
    return strText;
}

// A ttyS node exists for every possible UART; one whose driver found no chip is absent.
// USB-serial and CDC-ACM drivers leave the type at 0 too, so ask ttyS nodes only.
bool HasNoUart(int fd) {
#ifdef __linux__
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) == 0)
        return info.type == PORT_UNKNOWN;
#else
    (void)fd;
#endif
    return false;
}

bool SpeedOf(uint32_t nBaud, speed_t& speed) {
    switch (nBaud) {
        case 1200:
            speed = B1200;
            return true;
        case 2400:
            speed = B2400;
            return true;
        case 4800:
            speed = B4800;
            return true;
        case 9600:
            speed = B9600;
            return true;
        case 19200:
            speed = B19200;
            return true;
        case 38400:
            speed = B38400;
            return true;
        case 57600:
            speed = B57600;
            return true;
        case 115200:
            speed = B115200;
            return true;
        case 230400:
            speed = B230400;
            return true;
        default:
            return false;
    }
}

bool CharSizeOf(uint8_t nBits, tcflag_t& flags) {
    switch (nBits) {
        case 5:
            flags = CS5;
            return true;
        case 6:
            flags = CS6;
            return true;
        case 7:
            flags = CS7;
            return true;
        case 8:
            flags = CS8;
            return true;
        default:
            return false;
    }
}
}  // namespace

PosixComApi::~PosixComApi() {
    for (const auto& entry : ports)
        close(entry.first);
}

PosixComApi::PortState* PosixComApi::Find(PortHandle hPort) {
    if (hPort < 0 || hPort > INT_MAX)
        return nullptr;
    auto it = ports.find(static_cast<int>(hPort));
    return it == ports.end() ? nullptr : &it->second;
}

bool PosixComApi::ReadCounters(int fd, LineCounters& counters) {
#if defined(__linux__) && defined(TIOCGICOUNT)
    serial_icounter_struct icount{};
    if (ioctl(fd, TIOCGICOUNT, &icount) != 0)
        return false;
    counters.nFrame = icount.frame;
    counters.nParity = icount.parity;
    counters.nOverrun = icount.overrun;
    counters.nBufOverrun = icount.buf_overrun;
    counters.nBreak = icount.brk;
    return true;
#else
    (void)fd;
    (void)counters;
    return false;
#endif
}

PortHandle PosixComApi::Fail(uint32_t nError, std::string strText) {
    nLastError = nError;
    strLastError = std::move(strText);
    return kInvalidHandle;
}

std::string PosixComApi::NodePath(unsigned nPort) const {
    // An override is used as given; the table's nodes are looked for under the /dev root.
    const std::string strOverride = ComPortTable::OverridePath(nPort);
    if (!strOverride.empty())
        return strOverride;
    const std::string strPath = table.Path(nPort);
    return strPath.empty() ? strPath : fs.Locate(strPath);
}

PortHandle PosixComApi::CreateFile(const std::string& strName) {
    const unsigned nPort = ComNumberFromName(strName);
    const std::string strPath = nPort ? NodePath(nPort) : std::string();
    if (strPath.empty())
        return Fail(ERROR_FILE_NOT_FOUND, "no device for " + strName);
    // An on-board UART node without a chip is refused before opening it, where the
    // kernel says so; the type is read again below where it does not.
    const PortNodeFacts facts = fs.Facts(strPath);
    const bool bUartNode = IsUartNodeName(facts.strName);
    const std::string strNoUart = strPath + ": no UART behind this port";
    if (bUartNode && facts.nUartType && *facts.nUartType == 0)
        return Fail(ERROR_FILE_NOT_FOUND, strNoUart);
    int fd = fs.OpenNode(strPath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(ErrorFromErrno(errno), OpenErrorText(strPath, errno));
    if (fd == 0) {
        // Descriptor 0 would read as the null handle: move it out of the way.
        const int fdMoved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        const int nErr = errno;
        close(fd);
        if (fdMoved < 0)
            return Fail(ErrorFromErrno(nErr), OpenErrorText(strPath, nErr));
        fd = fdMoved;
    }
    auto fail = [&](uint32_t nError, std::string strText) {
        close(fd);
        return Fail(nError, std::move(strText));
    };
    if (!isatty(fd))
        return fail(ERROR_FILE_NOT_FOUND, strPath + ": not a serial port");
    if (bUartNode && HasNoUart(fd))
        return fail(ERROR_FILE_NOT_FOUND, strNoUart);
    // The lock first: a port held elsewhere must not get its exclusive flag changed.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(ERROR_SHARING_VIOLATION, strPath + ": " + kHeldElsewhere);
    PortState state;
#ifdef TIOCGEXCL
    int nWasExclusive = 0;
    state.bOwnsExclusive = ioctl(fd, TIOCGEXCL, &nWasExclusive) == 0 && nWasExclusive == 0;
#endif
    ioctl(fd, TIOCEXCL);  // root ignores it; the lock above still holds

    state.bHasCounters = ReadCounters(fd, state.counters);
    ports[fd] = state;
    nLastError = 0;
    strLastError.clear();
    return fd;
}

std::optional<bool> PosixComApi::PresentWithoutOpening(const std::string& strName) {
    const unsigned nPort = ComNumberFromName(strName);
    const std::string strPath = nPort ? NodePath(nPort) : std::string();
    return !strPath.empty() && IsPortPresent(fs.Facts(strPath));
}

bool PosixComApi::HasGoneAway(PortHandle hPort) {
    const PortState* pState = Find(hPort);
    return pState != nullptr && pState->bGone;
}

bool PosixComApi::SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) {
    PortState* pState = Find(hPort);
    if (pState == nullptr)
        return false;
    if (timeouts.ReadIntervalTimeout != kMaxDword || timeouts.ReadTotalTimeoutMultiplier != 0 ||
        timeouts.ReadTotalTimeoutConstant != 0 || timeouts.WriteTotalTimeoutMultiplier != 0 ||
        timeouts.WriteTotalTimeoutConstant > INT_MAX)
        return false;
    pState->nWriteBoundMs = timeouts.WriteTotalTimeoutConstant != 0
                                ? static_cast<int>(timeouts.WriteTotalTimeoutConstant)
                                : kDefaultWriteBoundMs;
    return true;
}

bool PosixComApi::SetCommState(PortHandle hPort, const Dcb& dcb) {
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone)
        return false;
    const int fd = static_cast<int>(hPort);

    speed_t speed{};
    tcflag_t charSize{};
    if (!SpeedOf(dcb.BaudRate, speed) || !CharSizeOf(dcb.ByteSize, charSize))
        return false;
    if (dcb.Parity > EVENPARITY)
        return false;  // mark and space: not on this platform
    if (dcb.StopBits == ONE5STOPBITS || dcb.StopBits > TWOSTOPBITS)
        return false;

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        if (IsGoneError(errno))
            pState->bGone = true;
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= charSize | CLOCAL | CREAD;
    if (dcb.Parity != NOPARITY) {
        tio.c_cflag |= PARENB;
        tio.c_iflag |= INPCK;
        if (dcb.Parity == ODDPARITY)
            tio.c_cflag |= PARODD;
    }
    if (dcb.StopBits == TWOSTOPBITS)
        tio.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow)
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (dcb.fOutX)
        tio.c_iflag |= IXON;
    if (dcb.fInX)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    tio.c_cc[VMIN] = 0;  // reads return at once with what has arrived
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        if (IsGoneError(errno))
            pState->bGone = true;
        return false;
    }

    // Modem lines: a pseudo-terminal has none (ENOTTY), which is not a failure.
    int nClear = 0, nSet = 0;
    (dcb.fDtrControl == kControlEnable ? nSet : nClear) |= TIOCM_DTR;
    (dcb.fRtsControl == kControlEnable ? nSet : nClear) |= TIOCM_RTS;
    if (dcb.fOutxCtsFlow)
        nClear &= ~TIOCM_RTS;  // the driver drives RTS then
    if (nClear)
        ioctl(fd, TIOCMBIC, &nClear);
    if (nSet)
        ioctl(fd, TIOCMBIS, &nSet);
    return true;
}

bool PosixComApi::ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) {
    nErrors = 0;
    nInQueue = 0;
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone)
        return false;
    const int fd = static_cast<int>(hPort);

    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        pState->bGone = true;
        return false;
    }
    int nQueued = 0;
    if (ioctl(fd, FIONREAD, &nQueued) != 0) {
        if (IsGoneError(errno))
            pState->bGone = true;
        return false;
    }
    if (pState->bHasCounters) {
        LineCounters now;
        if (ReadCounters(fd, now)) {
            const LineCounters& was = pState->counters;
            if (now.nFrame != was.nFrame)
                nErrors |= CE_FRAME;
            if (now.nParity != was.nParity)
                nErrors |= CE_RXPARITY;
            if (now.nOverrun != was.nOverrun)
                nErrors |= CE_OVERRUN;
            if (now.nBufOverrun != was.nBufOverrun)
                nErrors |= CE_RXOVER;
            if (now.nBreak != was.nBreak)
                nErrors |= CE_BREAK;
            pState->counters = now;
        }
    }
    nInQueue = nQueued > 0 ? static_cast<uint32_t>(nQueued) : 0;
    return true;
}

bool PosixComApi::PurgeComm(PortHandle hPort, uint32_t nFlags) {
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone)
        return false;
    const bool bRx = nFlags & (PURGE_RXABORT | PURGE_RXCLEAR);
    const bool bTx = nFlags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (!bRx && !bTx)
        return true;
    const int nQueue = bRx && bTx ? TCIOFLUSH : (bRx ? TCIFLUSH : TCOFLUSH);
    if (tcflush(static_cast<int>(hPort), nQueue) != 0) {
        if (IsGoneError(errno))
            pState->bGone = true;
        return false;
    }
    return true;
}

bool PosixComApi::ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) {
    nDone = 0;
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone || pBuf == nullptr)
        return false;
    if (nCount == 0)
        return true;
    const ssize_t nRead = read(static_cast<int>(hPort), pBuf, nCount);
    if (nRead >= 0) {  // 0 with VMIN = VTIME = 0 only means nothing has arrived
        nDone = static_cast<uint32_t>(nRead);
        return true;
    }
    if (errno == EAGAIN || errno == EINTR)
        return true;
    if (IsGoneError(errno))
        pState->bGone = true;
    return false;
}

bool PosixComApi::WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                            uint32_t& nDone) {
    nDone = 0;
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone || pBuf == nullptr)
        return false;
    const int fd = static_cast<int>(hPort);
    using Clock = std::chrono::steady_clock;
    const auto tStart = Clock::now();
    const int nBoundMs = pState->nWriteBoundMs;
    while (nDone < nCount) {
        const ssize_t nWritten = write(fd, pBuf + nDone, nCount - nDone);
        if (nWritten > 0) {
            nDone += static_cast<uint32_t>(nWritten);
            continue;
        }
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten < 0 && errno != EAGAIN) {
            if (IsGoneError(errno) || errno == EPIPE)
                pState->bGone = true;
            return false;
        }
        // The driver's buffer is full (a flow-control stop, a slow line): wait for room,
        // within the bound of the whole write.
        const auto nWaited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - tStart).count();
        if (nWaited >= nBoundMs)
            return false;
        pollfd pfd{fd, POLLOUT, 0};
        const int nReady = poll(&pfd, 1, static_cast<int>(nBoundMs - nWaited));
        if (nReady < 0 && errno != EINTR)
            return false;
        if (nReady > 0 && !(pfd.revents & POLLOUT)) {
            pState->bGone = true;  // hang-up or error without room: it will not come back
            return false;
        }
    }
    return true;
}

bool PosixComApi::CloseHandle(PortHandle hPort) {
    if (Find(hPort) == nullptr)
        return false;
    const int fd = static_cast<int>(hPort);
    // The exclusive flag outlives this descriptor when someone else keeps the terminal
    // open (a simulator holds both ends): clear it so the next open is not refused.
    if (ports[fd].bOwnsExclusive)
        ioctl(fd, TIOCNXCL);
    ports.erase(fd);
    // On Linux the descriptor is released even when close reports an error, so the
    // handle must not be kept.
    return close(fd) == 0 || errno != EBADF;
}

bool PosixComApi::SetReadWakeThreshold(PortHandle hPort, int nBytes) {
    const PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone)
        return false;
    const int fd = static_cast<int>(hPort);
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    // 0 as set at open (reads return at once); poll counts that as 1.
    const cc_t nMin = static_cast<cc_t>(nBytes <= 1 ? 0 : std::min(nBytes, 255));
    if (tio.c_cc[VMIN] == nMin)
        return true;
    tio.c_cc[VMIN] = nMin;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

int PosixComApi::PollDescriptor(PortHandle hPort) {
    PortState* pState = Find(hPort);
    return pState != nullptr && !pState->bGone ? static_cast<int>(hPort) : -1;
}

std::unique_ptr<ComApi> CreatePlatformComApi() {
    return std::make_unique<PosixComApi>();
}
