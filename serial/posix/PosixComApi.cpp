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
// How often a write looks again whether its frame has left the output queue: a frame
// of 18 bytes takes about 3 ms at 57600 baud.
constexpr int kDrainPollMs = 1;

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

// The system's words for a failed open, and what the user can do about it: join the
// group that owns the node (dialout on Debian, uucp on others).
std::string OpenErrorText(const std::string& strPath, int nErr, const std::string& strGroup) {
    std::string strText = strPath + ": " + std::strerror(nErr);
    if ((nErr == EACCES || nErr == EPERM) && !strGroup.empty() && strGroup != "root")
        strText += " (the user needs to be in the " + strGroup + " group)";
    else if (nErr == EACCES || nErr == EPERM)
        strText += " (only its owner may open it)";
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
    while (!ports.empty())
        CloseHandle(ports.begin()->first);
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
    if (IsUartPlaceholder(facts))
        return Fail(ERROR_FILE_NOT_FOUND, strNoUart);
    int fd = fs.OpenNode(strPath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(ErrorFromErrno(errno), OpenErrorText(strPath, errno, facts.strGroup));
    if (fd == 0) {
        // Descriptor 0 would read as the null handle: move it out of the way.
        const int fdMoved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        const int nErr = errno;
        close(fd);
        if (fdMoved < 0)
            return Fail(ErrorFromErrno(nErr), OpenErrorText(strPath, nErr, facts.strGroup));
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

    // Without it an FTDI-style adapter holds a short reply up to 16 ms before passing it on.
    state.lowLatency = io.RequestLowLatency(fd);
    state.bLocalSettings = SettingsChangesStayLocal(facts);
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
    if (io.GetAttr(fd, tio) != 0) {
        CheckGone(fd, *pState);
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
    if (io.SetAttr(fd, tio) != 0) {
        CheckGone(fd, *pState);
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
        SetGone(fd, *pState);
        return false;
    }
    int nQueued = 0;
    if (ioctl(fd, FIONREAD, &nQueued) != 0) {
        CheckGone(fd, *pState);
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
    const int fd = static_cast<int>(hPort);
    const int nQueue = bRx && bTx ? TCIOFLUSH : (bRx ? TCIFLUSH : TCOFLUSH);
    if (io.Flush(fd, nQueue) != 0) {
        CheckGone(fd, *pState);
        return false;
    }
    // usb-serial drivers have no way to discard what they queued: it still goes out.
    return !bTx || io.OutputQueued(fd) <= 0;
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
    CheckGone(static_cast<int>(hPort), *pState);
    return false;
}

bool PosixComApi::WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                            uint32_t& nDone) {
    nDone = 0;
    PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone || pBuf == nullptr)
        return false;
    const int fd = static_cast<int>(hPort);
    const auto tEnd = io.Now() + std::chrono::milliseconds(pState->nWriteBoundMs);
    auto msLeft = [&] {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(tEnd - io.Now());
        return static_cast<int>(std::max<decltype(ms.count())>(ms.count(), 0));
    };
    uint32_t nWritten = 0;
    while (nWritten < nCount) {
        const ssize_t n = write(fd, pBuf + nWritten, nCount - nWritten);
        if (n > 0) {
            nWritten += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            if (errno == EPIPE)
                SetGone(fd, *pState);
            else
                CheckGone(fd, *pState);
            return false;
        }
        // The driver's buffer is full (a pseudo-terminal stopped by XOFF, a slow line):
        // wait for room, within the bound of the whole write.
        const int nLeft = msLeft();
        if (nLeft == 0 || !io.WaitWritable(fd, nLeft))
            return false;
    }
    // Taken is not sent: a real driver queues the frame even while the line is stopped.
    for (;;) {
        const int nQueued = io.OutputQueued(fd);
        if (nQueued <= 0)  // sent, or a driver that cannot tell
            break;
        const int nLeft = msLeft();
        if (nLeft == 0) {
            nDone = nWritten - std::min<uint32_t>(nWritten, static_cast<uint32_t>(nQueued));
            return false;
        }
        io.Pause(std::min(nLeft, kDrainPollMs));
    }
    nDone = nWritten;
    return true;
}

bool PosixComApi::CloseHandle(PortHandle hPort) {
    if (Find(hPort) == nullptr)
        return false;
    const int fd = static_cast<int>(hPort);
    const PortState state = ports[fd];
    ports.erase(fd);
    if (state.bGone) {  // already let go of: the number holds nothing that can wait
        close(fd);
        return true;
    }
    // The exclusive flag outlives this descriptor when someone else keeps the terminal
    // open (a simulator holds both ends): clear it so the next open is not refused.
    if (state.bOwnsExclusive)
        ioctl(fd, TIOCNXCL);
    // The kernel's close waits up to 30 s for queued output (a line held by XOFF);
    // what a flush cannot discard is left to a close that may take its time.
    io.Flush(fd, TCIOFLUSH);
    io.Close(fd, io.OutputQueued(fd) > 0);
    return true;
}

bool PosixComApi::SetReadWakeThreshold(PortHandle hPort, int nBytes) {
    const PortState* pState = Find(hPort);
    if (pState == nullptr || pState->bGone)
        return false;
    if (!pState->bLocalSettings)
        return true;  // a hint only: input is read as it comes
    const int fd = static_cast<int>(hPort);
    termios tio{};
    if (io.GetAttr(fd, tio) != 0)
        return false;
    // 0 as set at open (reads return at once); poll counts that as 1.
    const cc_t nMin = static_cast<cc_t>(nBytes <= 1 ? 0 : std::min(nBytes, 255));
    if (tio.c_cc[VMIN] == nMin)
        return true;
    tio.c_cc[VMIN] = nMin;
    return io.SetAttr(fd, tio) == 0;
}

std::optional<bool> PosixComApi::LowLatency(PortHandle hPort) {
    const PortState* pState = Find(hPort);
    return pState != nullptr ? pState->lowLatency : std::nullopt;
}

void PosixComApi::SetGone(int fd, PortState& state) {
    if (state.bGone)
        return;
    state.bGone = true;
    // Held open, a hung-up node keeps its number, and a re-plugged adapter would come
    // back under another one.
    io.Release(fd);
}

void PosixComApi::CheckGone(int fd, PortState& state) {
    if (IsGoneError(errno))
        SetGone(fd, state);
}

int PosixComApi::PollDescriptor(PortHandle hPort) {
    PortState* pState = Find(hPort);
    return pState != nullptr && !pState->bGone ? static_cast<int>(hPort) : -1;
}

std::unique_ptr<ComApi> CreatePlatformComApi() {
    return std::make_unique<PosixComApi>();
}
