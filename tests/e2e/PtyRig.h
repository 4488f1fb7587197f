// The whole dialog over the real POSIX serial layer, talking through a pseudo-terminal
// to the emulated Handheld, which this thread steps by hand: after each tick the
// Handheld answers every frame the dialog has written, and the next tick waits (with a
// bound) until the answer can be read. No sleeps; no tick races a reply.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"
#include "tests/support/DialogHarness.h"

struct PtyRig {
    static constexpr unsigned kCom = 2;
    static constexpr int kWaitMs = 5000;  // bound of one wait; a healthy run never hits it

    explicit PtyRig(const std::string& strArgs) : api(ComPortTable(false)) {
        bOpen = sim.Open();
        EXPECT_TRUE(bOpen) << sim.Error();
        setenv(VarName().c_str(), sim.DevicePath().c_str(), 1);
        h = std::make_unique<DialogHarness>(&api);
        h->Start(strArgs);
    }
    ~PtyRig() {
        h->dlg.OnDestroy();
        unsetenv(VarName().c_str());
    }
    static std::string VarName() { return "GLOWDESK_COM" + std::to_string(kCom); }

    CGlowdeskDlg& Dlg() { return h->dlg; }
    CSession& Session() { return h->session; }
    std::string Trace() { return h->session.GetTrace(); }

    void Connect() {
        nFramesBase = sim.FramesReceived();
        h->dlg.OnConnect();
    }
    // Lets the Handheld take (and answer) every frame written so far.
    void ServePending() {
        for (int n = 0; n < 100 && sim.FramesReceived() - nFramesBase < h->session.TxCount(); ++n) {
            if (sim.Step(kWaitMs) < 0)
                break;
        }
    }
    void WaitForInput() {
        const int fd = h->serial.PollDescriptor(h->session.Link().Handle());
        if (fd >= 0)
            WaitReadable(fd, kWaitMs);
    }
    void Tick() { h->dlg.OnTimer(kTimerCom); }
    // Serve, wait, tick until the operation has ended; the ticks taken, -1 past nBound.
    int RunUntilIdle(int nBound = 100000) {
        for (int n = 1; n <= nBound; ++n) {
            ServePending();
            if (h->session.IsBusy())
                WaitForInput();
            Tick();
            if (!h->session.IsBusy())
                return n;
        }
        return -1;
    }
    int Run(int32_t nCode, int nProgRow, const std::string& strLabel) {
        h->dlg.DeviceCommand(nCode, nProgRow, strLabel + ": ");
        return RunUntilIdle();
    }
    // As RunUntilIdle, but input is handed over as the window does when the watched
    // descriptor turns readable, and timer 2 never ticks; the calls taken, -1 past
    // nBound or when nothing is watched.
    int RunOnInput(int nBound = 100000) {
        for (int n = 1; n <= nBound; ++n) {
            ServePending();
            const int fd = h->view.nWatchedFd;
            if (fd < 0)
                return -1;
            WaitReadable(fd, kWaitMs);
            h->dlg.OnComReadable();
            if (!h->session.IsBusy())
                return n;
        }
        return -1;
    }
    int RunOnInput(int32_t nCode, int nProgRow, const std::string& strLabel) {
        h->dlg.DeviceCommand(nCode, nProgRow, strLabel + ": ");
        return RunOnInput();
    }

    RecordingWaiter simWaiter;  // the Handheld answers without its reaction time
    NullDebugSink simDebug;
    PtyHandheld sim{simWaiter, simDebug};
    bool bOpen = false;
    PosixComApi api;
    std::unique_ptr<DialogHarness> h;
    int nFramesBase = 0;
};
