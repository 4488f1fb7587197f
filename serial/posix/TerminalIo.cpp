#include "serial/posix/TerminalIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <thread>

#ifdef __linux__
#include <linux/serial.h>
#endif

TerminalIo& TerminalIo::System() {
    static TerminalIo system;
    return system;
}

int TerminalIo::GetAttr(int fd, termios& tio) {
    return tcgetattr(fd, &tio);
}

int TerminalIo::SetAttr(int fd, const termios& tio) {
    return tcsetattr(fd, TCSANOW, &tio);
}

int TerminalIo::OutputQueued(int fd) {
    int nQueued = 0;
    return ioctl(fd, TIOCOUTQ, &nQueued) == 0 ? nQueued : -1;
}

int TerminalIo::Flush(int fd, int nQueue) {
    return tcflush(fd, nQueue);
}

bool TerminalIo::WaitWritable(int fd, int nMs) {
    pollfd pfd{fd, POLLOUT, 0};
    return poll(&pfd, 1, nMs) > 0;
}

void TerminalIo::Pause(int nMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMs));
}

TerminalIo::Clock::time_point TerminalIo::Now() {
    return Clock::now();
}

std::optional<bool> TerminalIo::RequestLowLatency(int fd) {
#ifdef __linux__
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return std::nullopt;  // a pseudo-terminal, or a driver without serial settings
    if (info.flags & ASYNC_LOW_LATENCY)
        return true;
    info.flags |= ASYNC_LOW_LATENCY;
    return ioctl(fd, TIOCSSERIAL, &info) == 0;
#else
    (void)fd;
    return std::nullopt;
#endif
}

void TerminalIo::Close(int fd, bool bMayWait) {
    if (!bMayWait) {
        close(fd);
        return;
    }
    std::thread([fd] { close(fd); }).detach();
}

void TerminalIo::Release(int fd) {
    const int fdNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (fdNull < 0)
        return;
    // dup2 closes the terminal and puts /dev/null in its place in one step: the
    // number cannot be handed to another open meanwhile.
    if (dup2(fdNull, fd) >= 0)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    close(fdNull);
}
