#include "serial/posix/PtyHandheld.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocol/Frames.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kWriteStallMs = 1000;  // a program that reads nothing loses the answer
constexpr int kSplitPauseUs = 300;   // long enough for the program to read the first piece

bool IsHexDigit(uint8_t by) {
    return (by >= '0' && by <= '9') || (by >= 'A' && by <= 'F') || (by >= 'a' && by <= 'f');
}

int MillisecondsUntil(Clock::time_point t) {
    const auto n = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return n > 0 ? static_cast<int>(n) : 0;
}
}  // namespace

bool WaitReadable(int fd, int nTimeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    int nReady;
    do {
        nReady = poll(&pfd, 1, nTimeoutMs);
    } while (nReady < 0 && errno == EINTR);
    return nReady > 0;
}

PtyHandheld::PtyHandheld(Waiter& waiter, DebugSink& debug) : emulator(waiter, debug) {}

PtyHandheld::~PtyHandheld() {
    Close();
}

bool PtyHandheld::Open() {
    if (fdMaster >= 0)
        return true;
    termios tio{};
    cfmakeraw(&tio);  // no echo, no line editing before the program sets its own mode
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    if (openpty(&fdMaster, &fdSlave, nullptr, &tio, nullptr) != 0) {
        strError = std::string("openpty: ") + std::strerror(errno);
        fdMaster = fdSlave = -1;
        return false;
    }
    fcntl(fdMaster, F_SETFD, FD_CLOEXEC);
    fcntl(fdSlave, F_SETFD, FD_CLOEXEC);
    fcntl(fdMaster, F_SETFL, fcntl(fdMaster, F_GETFL) | O_NONBLOCK);
    char szName[256] = {};
    if (ttyname_r(fdSlave, szName, sizeof szName) != 0) {
        strError = std::string("ttyname: ") + std::strerror(errno);
        Close();
        return false;
    }
    strDevicePath = szName;
    std::lock_guard<std::mutex> lock(mtx);
    emulator.ResetEmulator();
    return true;
}

void PtyHandheld::SetBaud(unsigned nNewBaud) {
    std::lock_guard<std::mutex> lock(mtx);
    nBaud = nNewBaud;
}

void PtyHandheld::SetSilent(bool bNewSilent) {
    std::lock_guard<std::mutex> lock(mtx);
    bSilent = bNewSilent;
}

void PtyHandheld::SetFrameLog(std::function<void(const std::string&, bool)> fnNewLog) {
    std::lock_guard<std::mutex> lock(mtx);
    fnLog = std::move(fnNewLog);
}

int PtyHandheld::Step(int nTimeoutMs) {
    return Serve(nTimeoutMs);
}

int PtyHandheld::Serve(int nTimeoutMs) {
    if (fdMaster < 0)
        return -1;
    const auto tEnd = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    const int nBefore = nFrames;
    bool bFirst = true;
    for (;;) {
        const int nWait = bFirst ? nTimeoutMs : MillisecondsUntil(tEnd);
        bFirst = false;
        pollfd apfd[2] = {{fdMaster, POLLIN, 0}, {afdWake[0], POLLIN, 0}};
        const int nReady = poll(apfd, afdWake[0] >= 0 ? 2 : 1, nWait);
        if (nReady < 0 && errno != EINTR)
            return -1;
        if (nReady <= 0)
            break;
        if (apfd[1].revents & POLLIN)
            break;  // Stop() asked
        if (apfd[0].revents & (POLLERR | POLLNVAL))
            return -1;
        if (!(apfd[0].revents & POLLIN))
            break;

        uint8_t acBuf[256];
        const ssize_t nRead = read(fdMaster, acBuf, sizeof acBuf);
        if (nRead < 0 && errno != EAGAIN && errno != EINTR)
            return -1;
        {
            std::lock_guard<std::mutex> lock(mtx);
            for (ssize_t i = 0; i < nRead; ++i)
                TakeByte(acBuf[i]);
        }
        // Keep on only while a frame is half in, and only within the time-out.
        if (strFrame.empty() || MillisecondsUntil(tEnd) == 0)
            break;
    }
    return nFrames - nBefore;
}

bool PtyHandheld::TakeByte(uint8_t by) {
    if (by == kFrameStart) {  // requests never carry '>' inside: always a new start
        strFrame.assign(1, static_cast<char>(by));
        nExpected = 0;
        tFrameStart = Clock::now();
        if (tAnswered) {
            adGapsUs.push_back(
                std::chrono::duration<double, std::micro>(tFrameStart - *tAnswered).count());
            tAnswered.reset();
        }
        return false;
    }
    if (strFrame.empty())
        return false;  // noise between frames
    if (strFrame.size() == 1) {
        const int nLen = IsHexDigit(by) ? HexValue(static_cast<char>(by)) : 0;
        if (nLen == 0) {
            strFrame.clear();
            return false;
        }
        nExpected = nLen + 1;
        strFrame += static_cast<char>(by);
        return false;
    }
    strFrame += static_cast<char>(by);
    if (--nExpected > 0)
        return false;
    if (by != kFrameEnd) {  // no line feed where it belongs: not a frame
        strFrame.clear();
        return false;
    }
    ++nFrames;
    Answer();
    strFrame.clear();
    return true;
}

void PtyHandheld::Answer() {
    if (fnLog)
        fnLog(strFrame, false);
    if (bSilent)
        return;
    if (nBaud > 0) {
        // The request is complete only once its last byte has crossed the line.
        const auto tWire = std::chrono::microseconds(10'000'000ull * strFrame.size() / nBaud);
        std::this_thread::sleep_until(tFrameStart + tWire);
    }
    emulator.HandleFrame(reinterpret_cast<const uint8_t*>(strFrame.data()),
                         static_cast<int>(strFrame.size()));
    uint8_t acAnswer[32];
    const int nAnswer = emulator.ReadAnswer(acAnswer, sizeof acAnswer);
    if (nAnswer <= 0)
        return;
    if (fnLog)
        fnLog(std::string(reinterpret_cast<char*>(acAnswer), nAnswer), true);
    if (!bSplitAnswers) {
        WriteOut(acAnswer, static_cast<size_t>(nAnswer));
    } else {
        const size_t nFirst = static_cast<size_t>(nAnswer) / 2;
        WriteOut(acAnswer, nFirst);
        std::this_thread::sleep_for(std::chrono::microseconds(kSplitPauseUs));
        WriteOut(acAnswer + nFirst, static_cast<size_t>(nAnswer) - nFirst);
    }
    if (!strNoise.empty())
        WriteOut(reinterpret_cast<const uint8_t*>(strNoise.data()), strNoise.size());
    tAnswered = Clock::now();
}

void PtyHandheld::SetRoughLine(bool bSplit, const std::string& strNoiseArg) {
    std::lock_guard<std::mutex> lock(mtx);
    bSplitAnswers = bSplit;
    strNoise = strNoiseArg;
}

bool PtyHandheld::Send(const std::string& strBytes) {
    std::lock_guard<std::mutex> lock(mtx);
    return WriteOut(reinterpret_cast<const uint8_t*>(strBytes.data()), strBytes.size());
}

bool PtyHandheld::WriteOut(const uint8_t* p, size_t n) {
    if (fdMaster < 0)
        return false;
    const auto tByte =
        nBaud > 0 ? std::chrono::microseconds(10'000'000ull / nBaud) : std::chrono::microseconds(0);
    if (tLineFree < Clock::now())
        tLineFree = Clock::now();
    size_t nDone = 0;
    auto tLastProgress = Clock::now();
    while (nDone < n) {
        // Paced: one byte at a time, each when the line has carried the one before.
        if (nBaud > 0)
            std::this_thread::sleep_until(tLineFree);
        const size_t nChunk = nBaud > 0 ? 1 : n - nDone;
        const ssize_t nWritten = write(fdMaster, p + nDone, nChunk);
        if (nWritten > 0) {
            nDone += static_cast<size_t>(nWritten);
            tLineFree += tByte * nWritten;
            tLastProgress = Clock::now();
            continue;
        }
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten < 0 && errno != EAGAIN)
            return false;
        const int nLeft =
            kWriteStallMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 Clock::now() - tLastProgress)
                                                 .count());
        if (nLeft <= 0)
            return false;
        pollfd pfd{fdMaster, POLLOUT, 0};
        if (poll(&pfd, 1, nLeft) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

bool PtyHandheld::Start() {
    if (fdMaster < 0 || bRunning)
        return bRunning;
    if (pipe2(afdWake, O_CLOEXEC) != 0) {
        afdWake[0] = afdWake[1] = -1;
        return false;
    }
    bRunning = true;
    bStopAsked = false;
    thread = std::thread([this] {
        while (!bStopAsked && Serve(1000) >= 0) {
        }
    });
    return true;
}

void PtyHandheld::Stop() {
    if (!bRunning)
        return;
    bStopAsked = true;
    const char ch = 1;
    if (write(afdWake[1], &ch, 1) < 0) {
        // The pipe cannot be full or closed here; the thread still ends on its time-out.
    }
    thread.join();
    bRunning = false;
    close(afdWake[0]);
    close(afdWake[1]);
    afdWake[0] = afdWake[1] = -1;
}

void PtyHandheld::Close() {
    Stop();
    if (fdMaster >= 0)
        close(fdMaster);
    if (fdSlave >= 0)
        close(fdSlave);
    fdMaster = fdSlave = -1;
    strFrame.clear();
}
