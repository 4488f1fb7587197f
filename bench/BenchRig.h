// Shared pieces of the benchmarks: a front end that keeps timer 2 and the watched
// descriptor, a Handheld simulator on a pseudo-terminal serving from its own thread,
// a session over the real POSIX serial layer (with its port calls counted), and a
// stopwatch for wall and CPU time.
//
// The rig runs the session in a real-time event loop, as the window's would run it:
// timer 2 fires at its period of real time (8 ms while an operation runs), and in the
// Notifier mode the port's descriptor wakes the loop as soon as input arrives.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/ControlIds.h"
#include "app/Session.h"
#include "base/DebugSink.h"
#include "serial/ForwardingComApi.h"
#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"

using BenchClock = std::chrono::steady_clock;

// The front end's side of the session: timer 2 as a real-time timer, and the
// descriptor the session asks to watch.
class BenchListener : public SessionListener {
public:
    struct Timer {
        int nPeriodMs = 0;
        BenchClock::time_point tNext;
    };

    // As a window timer: (re)starting it counts its period from now.
    void OnPollPeriod(int nPeriodMs) override {
        timers[kTimerCom] =
            Timer{nPeriodMs, BenchClock::now() + std::chrono::milliseconds(nPeriodMs)};
    }
    void OnWatchPort(int nFd) override { nWatchedFd = nFd; }

    std::map<int, Timer> timers;
    int nWatchedFd = -1;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// The POSIX serial primitives with their calls counted.
class CountingComApi : public CForwardingComApi {
public:
    explicit CountingComApi(ComApi& inner) : CForwardingComApi(inner) {}
    bool ClearCommError(PortHandle h, uint32_t& nErrors, uint32_t& nInQueue) override {
        ++nClearCommError;
        return CForwardingComApi::ClearCommError(h, nErrors, nInQueue);
    }
    bool ReadFile(PortHandle h, uint8_t* p, uint32_t n, uint32_t& nDone) override {
        ++nReadFile;
        return CForwardingComApi::ReadFile(h, p, n, nDone);
    }
    bool WriteFile(PortHandle h, const uint8_t* p, uint32_t n, uint32_t& nDone) override {
        ++nWriteFile;
        return CForwardingComApi::WriteFile(h, p, n, nDone);
    }

    long nClearCommError = 0;
    long nReadFile = 0;
    long nWriteFile = 0;
};

// Wall time, CPU time of the calling (engine) thread and of the whole process.
struct Stopwatch {
    static double Now(clockid_t id) {
        timespec ts{};
        clock_gettime(id, &ts);
        return ts.tv_sec + ts.tv_nsec * 1e-9;
    }
    Stopwatch()
        : dWall(Now(CLOCK_MONOTONIC)),
          dThread(Now(CLOCK_THREAD_CPUTIME_ID)),
          dProcess(Now(CLOCK_PROCESS_CPUTIME_ID)) {}
    double Wall() const { return Now(CLOCK_MONOTONIC) - dWall; }
    double Thread() const { return Now(CLOCK_THREAD_CPUTIME_ID) - dThread; }
    double Process() const { return Now(CLOCK_PROCESS_CPUTIME_ID) - dProcess; }
    double dWall, dThread, dProcess;
};

// The load average of the last minute: the machine may be shared.
inline double LoadAverage() {
    double adLoad[3] = {};
    getloadavg(adLoad, 3);
    return adLoad[0];
}

// Seconds that nBytes take on a line of nBaud with start and stop bit.
inline double WireSeconds(long nBytes, unsigned nBaud = 57600) {
    return nBytes * 10.0 / nBaud;
}

// How replies reach the engine: timer 2 alone, or timer 2 and the port's descriptor.
enum class Receive { TimerOnly, Notifier };

inline const char* ReceiveName(Receive mode) {
    return mode == Receive::TimerOnly ? "8 ms poll alone" : "receive path";
}

// Nine programs of nSteps steps each, with varied bytes and names.
inline void FillStore(ProgramStore& store, int nSteps) {
    for (int i = 0; i < kProgCount; ++i) {
        LightProgram& p = store.aProgs[i];
        std::snprintf(p.Name, sizeof p.Name, "program %d", i + 1);
        p.Steps = static_cast<uint16_t>(nSteps);
        p.MixAllowed = i % 2;
        for (int s = 0; s < p.Steps; ++s)
            p.Data[s] = static_cast<uint8_t>(s * 13 + i);
    }
    store.RandomLen = 200;
}

struct BenchRig {
    static constexpr unsigned kCom = 2;

    // nBaud 0: the simulator answers at once; otherwise its output is paced.
    BenchRig(unsigned nBaud, Receive mode, const std::string& strArgs = "-p 1")
        : mode(mode),
          sim(noWait, debug),
          posix(ComPortTable(false)),
          api(posix),
          session(SessionServices{&api, &dlgWait, &clock, &debug}) {
        if (!sim.Open()) {
            std::fprintf(stderr, "simulator: %s\n", sim.Error().c_str());
            std::exit(1);
        }
        sim.SetBaud(nBaud);
        sim.SetFrameLog([this](const std::string& s, bool bAnswer) {
            (bAnswer ? nAnswerBytes : nRequestBytes) += static_cast<long>(s.size());
            if (!bAnswer) {
                std::lock_guard<std::mutex> lock(mtxRequests);
                aRequests.push_back(s);
            }
        });
        setenv(("GLOWDESK_COM" + std::to_string(kCom)).c_str(), sim.DevicePath().c_str(), 1);
        const CommandLineOptions opts = ScanCommandLine(strArgs);
        SessionOptions options;
        options.bProgMode = opts.bProgMode;
        options.bTrace = opts.bTrace;
        session.SetListener(&view);
        session.Configure(options);
        view.OnPollPeriod(CCommandEngine::kIdlePollMs);
        sim.Start();
        if (!Connect())
            std::fprintf(stderr, "connect did not end\n");
    }
    ~BenchRig() {
        session.ClosePort();
        sim.Close();
    }

    // One turn of the event loop: waits for the next tick of timer 2 or, in the
    // Notifier mode, for input on the watched descriptor, and hands it to the dialog.
    void Turn() {
        auto it = view.timers.find(kTimerCom);
        const BenchClock::time_point tNow = BenchClock::now();
        const BenchClock::time_point tNext =
            it != view.timers.end() ? it->second.tNext : tNow + std::chrono::seconds(1);
        const auto nWaitNs = std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::nanoseconds>(tNext - tNow).count());
        const timespec ts{static_cast<time_t>(nWaitNs / 1000000000),
                          static_cast<long>(nWaitNs % 1000000000)};
        pollfd pfd{mode == Receive::Notifier ? view.nWatchedFd : -1, POLLIN, 0};
        const int nReady = ppoll(&pfd, pfd.fd >= 0 ? 1 : 0, &ts, nullptr);
        if (nReady > 0 && pfd.revents != 0) {
            ++nReadableWakes;
            session.OnComReadable();
        }
        it = view.timers.find(kTimerCom);
        if (it == view.timers.end() || BenchClock::now() < it->second.tNext)
            return;
        // A late timer fires once and counts its next period from now.
        BenchListener::Timer& timer = it->second;
        timer.tNext += std::chrono::milliseconds(timer.nPeriodMs);
        if (timer.tNext < BenchClock::now())
            timer.tNext = BenchClock::now() + std::chrono::milliseconds(timer.nPeriodMs);
        ++nTicks;
        session.OnComTimer();
    }
    // Opens the simulator's port and reads the version, as the window's connect does;
    // false when the port does not open or the operation does not end.
    bool Connect() {
        const std::string strError = session.OpenPort(kCom);
        if (!strError.empty()) {
            std::fprintf(stderr, "open: %s\n", strError.c_str());
            return false;
        }
        const std::string strText = session.OpenedText();
        session.ReadVersion(&strText);
        return RunUntilIdle();
    }
    // Runs the loop until the operation has ended (false after five minutes).
    bool RunUntilIdle() {
        const auto tEnd = BenchClock::now() + std::chrono::minutes(5);
        while (session.IsBusy() && BenchClock::now() < tEnd)
            Turn();
        return !session.IsBusy();
    }
    // Runs the loop for a stretch of real time.
    void RunFor(std::chrono::milliseconds duration) {
        const auto tEnd = BenchClock::now() + duration;
        while (BenchClock::now() < tEnd)
            Turn();
    }
    bool Run(int32_t nCode, const std::string& strLabel) {
        session.StartOperation(nCode, 0, strLabel + ": ");
        return RunUntilIdle();
    }
    // The request frames the simulator received since the last call.
    std::vector<std::string> TakeRequests() {
        std::lock_guard<std::mutex> lock(mtxRequests);
        return std::exchange(aRequests, {});
    }
    void ResetCounts() {
        nRequestBytes = 0;
        nAnswerBytes = 0;
        nTicks = 0;
        nReadableWakes = 0;
        api.nClearCommError = 0;
        api.nReadFile = 0;
        api.nWriteFile = 0;
    }

    Receive mode;
    NoWait noWait;
    NoWait dlgWait;  // the dialog's own 37 ms pauses are not what is measured
    NullDebugSink debug;
    SystemClock clock;
    BenchListener view;
    PtyHandheld sim;
    PosixComApi posix;
    CountingComApi api;
    CSession session;
    std::atomic<long> nRequestBytes{0};
    std::atomic<long> nAnswerBytes{0};
    long nTicks = 0;
    long nReadableWakes = 0;
    std::mutex mtxRequests;
    std::vector<std::string> aRequests;
};
