// Shared pieces of the benchmarks: a window that keeps its timers and its watched
// descriptor, a Handheld simulator on a pseudo-terminal serving from its own thread,
// the dialog over the real POSIX serial layer (with its port calls counted), and a
// stopwatch for wall and CPU time.
//
// The rig runs the dialog in a real-time event loop, as the window's would run it:
// timer 2 fires at its period of real time (8 ms while an operation runs), and in the
// Notifier mode the port's descriptor wakes the loop as soon as input arrives.
#pragma once

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>

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

#include "app/DebugSink.h"
#include "app/DialogView.h"
#include "app/GlowdeskDlg.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"

using BenchClock = std::chrono::steady_clock;

class BenchView : public DialogView {
public:
    struct Timer {
        int nPeriodMs = 0;
        BenchClock::time_point tNext;
    };

    BenchView() {
        texts[IDC_CONNECT] = "connect";
        texts[IDC_START] = "start";
    }
    bool HasControl(int) const override { return true; }
    std::string GetTitle() const override { return "Glowdesk"; }
    void SetTitle(const std::string&) override {}
    void SetWindowIcon(int) override {}
    std::string GetText(int nId) const override {
        auto it = texts.find(nId);
        return it == texts.end() ? std::string() : it->second;
    }
    void SetText(int nId, const std::string& s) override { texts[nId] = s; }
    void AppendText(int nId, const std::string& s) override { texts[nId] += s; }
    void ScrollToEnd(int) override {}
    void Redraw(int) override {}
    bool GetCheck(int) const override { return false; }
    void SetCheck(int, bool) override {}
    void Show(int, bool) override {}
    bool IsShown(int) const override { return true; }
    void SetIcon(int, int) override {}
    void ComboReset(int nId) override { combos[nId].clear(); }
    int ComboCount(int nId) const override {
        auto it = combos.find(nId);
        return it == combos.end() ? 0 : static_cast<int>(it->second.size());
    }
    int ComboGetSel(int nId) const override {
        auto it = sels.find(nId);
        return it == sels.end() ? -1 : it->second;
    }
    void ComboSetSel(int nId, int nRow) override {
        sels[nId] = nRow >= 0 && nRow < ComboCount(nId) ? nRow : -1;
    }
    std::string ComboGetRow(int nId, int nRow) const override {
        auto it = combos.find(nId);
        if (it == combos.end() || nRow < 0 || nRow >= static_cast<int>(it->second.size()))
            return {};
        return it->second[nRow];
    }
    void ComboInsert(int nId, int nRow, const std::string& s) override {
        auto& rows = combos[nId];
        rows.insert(
            rows.begin() + std::min<size_t>(static_cast<size_t>(std::max(nRow, 0)), rows.size()),
            s);
    }
    void ComboDelete(int nId, int nRow) override {
        auto& rows = combos[nId];
        if (nRow >= 0 && nRow < static_cast<int>(rows.size()))
            rows.erase(rows.begin() + nRow);
    }
    void ComboSetRowTip(int, int, const std::string&) override {}
    void SliderSetRange(int, int, int) override {}
    void SliderSetPos(int, int) override {}
    int SliderGetPos(int) const override { return 500; }
    // As a window timer: (re)starting it counts its period from now.
    void SetTimer(int nId, int nPeriodMs) override {
        timers[nId] = Timer{nPeriodMs, BenchClock::now() + std::chrono::milliseconds(nPeriodMs)};
    }
    void KillTimer(int nId) override { timers.erase(nId); }
    void WatchPort(int nFd) override { nWatchedFd = nFd; }
    void MessageBox(const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return {}; }
    void ShowAboutBox() override {}
    void ShowProgramEditor(int, const LightProgram&) override {}

    std::map<int, Timer> timers;
    int nWatchedFd = -1;

private:
    std::map<int, std::string> texts;
    std::map<int, std::vector<std::string>> combos;
    std::map<int, int> sels;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// The POSIX serial primitives with their calls counted.
class CountingComApi : public ComApi {
public:
    explicit CountingComApi(ComApi& inner) : inner(inner) {}
    PortHandle CreateFile(const std::string& s) override { return inner.CreateFile(s); }
    uint32_t GetLastError() override { return inner.GetLastError(); }
    bool SetCommTimeouts(PortHandle h, const CommTimeouts& t) override {
        return inner.SetCommTimeouts(h, t);
    }
    bool SetCommState(PortHandle h, const Dcb& d) override { return inner.SetCommState(h, d); }
    bool ClearCommError(PortHandle h, uint32_t& nErrors, uint32_t& nInQueue) override {
        ++nClearCommError;
        return inner.ClearCommError(h, nErrors, nInQueue);
    }
    bool PurgeComm(PortHandle h, uint32_t n) override { return inner.PurgeComm(h, n); }
    bool ReadFile(PortHandle h, uint8_t* p, uint32_t n, uint32_t& nDone) override {
        ++nReadFile;
        return inner.ReadFile(h, p, n, nDone);
    }
    bool WriteFile(PortHandle h, const uint8_t* p, uint32_t n, uint32_t& nDone) override {
        ++nWriteFile;
        return inner.WriteFile(h, p, n, nDone);
    }
    bool CloseHandle(PortHandle h) override { return inner.CloseHandle(h); }
    std::string DevicePath(unsigned n) override { return inner.DevicePath(n); }
    int PollDescriptor(PortHandle h) override { return inner.PollDescriptor(h); }

    long nClearCommError = 0;
    long nReadFile = 0;
    long nWriteFile = 0;

private:
    ComApi& inner;
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

// Seconds that nBytes take on a line of nBaud with start and stop bit.
inline double WireSeconds(long nBytes, unsigned nBaud = 57600) {
    return nBytes * 10.0 / nBaud;
}

// How replies reach the engine: timer 2 alone, or timer 2 and the port's descriptor.
enum class Receive { TimerOnly, Notifier };

inline const char* ReceiveName(Receive mode) {
    return mode == Receive::TimerOnly ? "8 ms poll alone" : "receive path";
}

struct BenchRig {
    static constexpr unsigned kCom = 2;

    // nBaud 0: the simulator answers at once; otherwise its output is paced.
    BenchRig(unsigned nBaud, Receive mode, const std::string& strArgs = "-p 1")
        : mode(mode),
          sim(noWait, debug),
          posix(ComPortTable(false)),
          api(posix),
          emulator(noWait, debug),
          serial(api, emulator),
          dlg(view, serial, dlgWait, clock) {
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
        dlg.OnInitDialog(strArgs, "/nonexistent-dir");
        sim.Start();
        dlg.OnConnect();
        if (!RunUntilIdle())
            std::fprintf(stderr, "connect did not end\n");
    }
    ~BenchRig() {
        dlg.OnDestroy();
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
            dlg.OnComReadable();
        }
        it = view.timers.find(kTimerCom);
        if (it == view.timers.end() || BenchClock::now() < it->second.tNext)
            return;
        // A late timer fires once and counts its next period from now.
        BenchView::Timer& timer = it->second;
        timer.tNext += std::chrono::milliseconds(timer.nPeriodMs);
        if (timer.tNext < BenchClock::now())
            timer.tNext = BenchClock::now() + std::chrono::milliseconds(timer.nPeriodMs);
        ++nTicks;
        dlg.OnTimer(kTimerCom);
    }
    // Runs the loop until the operation has ended (false after five minutes).
    bool RunUntilIdle() {
        const auto tEnd = BenchClock::now() + std::chrono::minutes(5);
        while (dlg.IsBusy() && BenchClock::now() < tEnd)
            Turn();
        return !dlg.IsBusy();
    }
    // Runs the loop for a stretch of real time.
    void RunFor(std::chrono::milliseconds duration) {
        const auto tEnd = BenchClock::now() + duration;
        while (BenchClock::now() < tEnd)
            Turn();
    }
    bool Run(int32_t nCode, const std::string& strLabel) {
        dlg.DeviceCommand(nCode, 0, strLabel + ": ");
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
    BenchView view;
    PtyHandheld sim;
    PosixComApi posix;
    CountingComApi api;
    CComEmulator emulator;
    CSerialPort serial;
    CGlowdeskDlg dlg;
    std::atomic<long> nRequestBytes{0};
    std::atomic<long> nAnswerBytes{0};
    long nTicks = 0;
    long nReadableWakes = 0;
    std::mutex mtxRequests;
    std::vector<std::string> aRequests;
};
