// Shared pieces of the benchmarks: a window that only keeps state, a Handheld
// simulator on a pseudo-terminal serving from its own thread, the dialog over the real
// POSIX serial layer, and a stopwatch for wall and CPU time. Timer 2 is stepped as
// soon as input is readable, so the figures show the engine and the line, not the
// 8 ms poll period.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DebugSink.h"
#include "app/DialogView.h"
#include "app/GlowdeskDlg.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"

class BenchView : public DialogView {
public:
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
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void MessageBox(const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return {}; }
    void ShowAboutBox() override {}

private:
    std::map<int, std::string> texts;
    std::map<int, std::vector<std::string>> combos;
    std::map<int, int> sels;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
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

struct BenchRig {
    static constexpr unsigned kCom = 2;

    // nBaud 0: the simulator answers at once; otherwise its output is paced.
    explicit BenchRig(unsigned nBaud, const std::string& strArgs = "-p 1")
        : sim(noWait, debug),
          api(ComPortTable(false)),
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
        });
        setenv(("GLOWDESK_COM" + std::to_string(kCom)).c_str(), sim.DevicePath().c_str(), 1);
        dlg.OnInitDialog(strArgs, "/nonexistent-dir");
        sim.Start();
        dlg.OnConnect();
        RunUntilIdle();
    }
    ~BenchRig() {
        dlg.OnDestroy();
        sim.Close();
    }

    // Steps timer 2 whenever input is readable until the operation has ended.
    bool RunUntilIdle() {
        const int fd = serial.PollDescriptor(dlg.Port());
        for (long n = 0; n < 10000000 && dlg.IsBusy(); ++n) {
            if (fd >= 0)
                WaitReadable(fd, 2000);
            dlg.OnTimer(kTimerCom);
        }
        return !dlg.IsBusy();
    }
    bool Run(int32_t nCode, const std::string& strLabel) {
        dlg.DeviceCommand(nCode, 0, strLabel + ": ");
        return RunUntilIdle();
    }
    void ResetByteCounts() {
        nRequestBytes = 0;
        nAnswerBytes = 0;
    }

    NoWait noWait;
    NoWait dlgWait;  // the dialog's own 37 ms pauses are not what is measured
    NullDebugSink debug;
    SystemClock clock;
    BenchView view;
    PtyHandheld sim;
    PosixComApi api;
    CComEmulator emulator;
    CSerialPort serial;
    CGlowdeskDlg dlg;
    std::atomic<long> nRequestBytes{0};
    std::atomic<long> nAnswerBytes{0};
};
