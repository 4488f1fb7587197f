// Device operations through the real serial layer over a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/e2e/PtyRig.h"

namespace {

const std::string kOpen = "Open Com Port:Com2, 57600 Baud, 8 Bit, 1 Stop, no Parity";

TEST(PtyEndToEnd, PortBoxOffersTheOverriddenPort) {
    PtyRig r("");
    ASSERT_EQ(r.h->view.ComboCount(IDC_COMPORT), 1);
    EXPECT_EQ(r.h->view.ComboGetRow(IDC_COMPORT, 0), "COM2");
    EXPECT_EQ(r.h->view.Ctl(IDC_COMPORT).aTips.at(0), r.sim.DevicePath());
}

TEST(PtyEndToEnd, ConnectInNormalModeReadsTheVersion) {
    PtyRig r("");
    r.Connect();
    EXPECT_GT(r.RunUntilIdle(), 0);
    EXPECT_EQ(r.Trace(), kOpen + " --> VHH 1.01");
    EXPECT_TRUE(r.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));

    EXPECT_GT(r.Run(READ_VERSION, -1, "read version"), 0);
    EXPECT_EQ(r.Trace(), "read version:  --> VHH 1.01");
    EXPECT_EQ(r.Session().RxCount(), 2);
    EXPECT_EQ(r.Session().TxCount(), 2);
}

TEST(PtyEndToEnd, ConnectInProgrammingModeJumpsToConfigAndBack) {
    PtyRig r("-p 1");
    r.Connect();
    EXPECT_GT(r.RunUntilIdle(), 0);
    EXPECT_EQ(r.Trace(), kOpen + " --> VHH 1.01\r\njmp to CFG mode: --> ok");
    EXPECT_FALSE(r.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));

    EXPECT_GT(r.Run(JMP_NORMAL, -1, "jmp normal mode"), 0);
    EXPECT_EQ(r.Trace(), "jmp normal mode: --> ok");
    EXPECT_TRUE(r.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));
    EXPECT_GT(r.Run(JMP_CONFIG, -1, "jmp to CFG mode"), 0);
    EXPECT_EQ(r.Trace(), "jmp to CFG mode: --> ok");
    EXPECT_FALSE(r.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));
}

TEST(PtyEndToEnd, SilentHandheldTimesOutOnThe76thTick) {
    PtyRig r("");
    r.sim.SetSilent(true);
    r.Connect();
    r.ServePending();
    for (int n = 0; n < 75; ++n)
        r.Tick();
    EXPECT_TRUE(r.Session().IsBusy());
    r.Tick();
    EXPECT_FALSE(r.Session().IsBusy());
    EXPECT_EQ(r.Trace(), kOpen + " --> timeout");
}

TEST(PtyEndToEnd, UnsolicitedLedFramesAmidNoise) {
    PtyRig r("-p 1");
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);
    ASSERT_TRUE(r.sim.Send("noise\x01\xFF>3L81\nmore noise>9junk"));
    r.WaitForInput();
    r.Tick();
    EXPECT_EQ(r.h->view.ShownLeds(), 0x81);
    ASSERT_TRUE(r.sim.Send(">3L24\n"));
    r.WaitForInput();
    r.Tick();
    EXPECT_EQ(r.h->view.ShownLeds(), 0x24);
    EXPECT_EQ(r.Session().RxCount(), 4);
}

TEST(PtyEndToEnd, ReplySplitOverSeveralTicks) {
    PtyRig r("");
    r.sim.SetSilent(true);
    r.Connect();
    r.ServePending();
    for (const char* pPiece : {">8v", "HH 1", ".01"}) {
        ASSERT_TRUE(r.sim.Send(pPiece));
        r.WaitForInput();
        r.Tick();
        EXPECT_TRUE(r.Session().IsBusy()) << pPiece;
    }
    ASSERT_TRUE(r.sim.Send("\n"));
    r.WaitForInput();
    r.Tick();
    EXPECT_FALSE(r.Session().IsBusy());
    EXPECT_EQ(r.Trace(), kOpen + " --> VHH 1.01");
}

TEST(PtyEndToEnd, HandheldGoneMidOperationEndsInTheTimeout) {
    PtyRig r("-p 1");
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);
    r.Dlg().DeviceCommand(RD_ALL_PROGS, -1, "rd all programs: ");
    for (int n = 0; n < 10; ++n) {
        r.ServePending();
        r.WaitForInput();
        r.Tick();
    }
    ASSERT_TRUE(r.Session().IsBusy());
    r.sim.Close();
    int nTicks = 0;
    while (r.Session().IsBusy() && nTicks < 1000) {
        r.Tick();
        ++nTicks;
    }
    EXPECT_LE(nTicks, 76);
    EXPECT_TRUE(r.Trace().ends_with(" --> timeout")) << r.Trace();
    r.Dlg().OnConnect();
    EXPECT_EQ(r.Trace(), "Com Port closed");
}

TEST(PtyEndToEnd, FullStoreRoundTrip) {
    PtyRig r("-p 1");
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);
    ProgramStore& store = r.Session().Store();
    const char* apNames[kProgCount] = {"",       "x",      "abc",         "chase",       "fives",
                                       "a b c!", "~seven", "eleven char", "twelve chars"};
    const int anSteps[kProgCount] = {896, 0, 1, 2, 5, 6, 100, 333, 896};
    for (int i = 0; i < kProgCount; ++i) {
        LightProgram& p = store.aProgs[i];
        std::strcpy(p.Name, apNames[i]);
        p.Steps = static_cast<uint16_t>(anSteps[i]);
        p.MixAllowed = i % 3 == 0;
        for (int s = 0; s < p.Steps; ++s)
            p.Data[s] = static_cast<uint8_t>(s * 7 + i);
    }
    store.RandomLen = 200;
    const ProgramStore written = store;

    ASSERT_GT(r.Run(WR_ALL_PROGS, -1, "wr all programs"), 0);
    ASSERT_TRUE(r.Trace().ends_with(": (random length=200)\r\n ...finished")) << r.Trace();
    store.ClearPrograms();
    store.RandomLen = 0;
    ASSERT_GT(r.Run(RD_ALL_PROGS, -1, "rd all programs"), 0);
    ASSERT_TRUE(r.Trace().ends_with(": (random length=200)\r\n ...finished")) << r.Trace();

    EXPECT_EQ(store.RandomLen, 200);
    for (int i = 0; i < kProgCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(store.aProgs[i].Steps, written.aProgs[i].Steps);
        EXPECT_EQ(store.aProgs[i].MixAllowed, written.aProgs[i].MixAllowed);
        EXPECT_STREQ(store.aProgs[i].Name, written.aProgs[i].Name);
        EXPECT_EQ(
            std::memcmp(store.aProgs[i].Data, written.aProgs[i].Data, written.aProgs[i].Steps), 0);
    }
}

// The same session, replies read on timer 2 or as the descriptor reports them: the
// same trace text (frames included), the same counters, the same store.
TEST(PtyEndToEnd, InputReadOnArrivalLeavesTheSameTraceAsTimer2) {
    struct Outcome {
        std::vector<std::string> aTraces;
        int nTx = 0, nRx = 0;
        std::vector<uint8_t> acData;
    };
    auto session = [](bool bOnInput) {
        PtyRig r("-p 1 -t 1");
        Outcome o;
        r.Connect();
        EXPECT_GT(bOnInput ? r.RunOnInput() : r.RunUntilIdle(), 0);
        o.aTraces.push_back(r.Trace());
        ProgramStore& store = r.Session().Store();
        for (int i = 0; i < kProgCount; ++i) {
            LightProgram& p = store.aProgs[i];
            std::snprintf(p.Name, sizeof p.Name, "prog %d", i + 1);
            p.Steps = static_cast<uint16_t>(i * 37);
            for (int s = 0; s < p.Steps; ++s)
                p.Data[s] = static_cast<uint8_t>(s + i);
        }
        for (int32_t nCode : {WR_ALL_PROGS, RD_ALL_PROGS, RD_MIX_LEN}) {
            if (nCode == RD_ALL_PROGS)
                store.ClearPrograms();
            const char* pLabel = nCode == RD_MIX_LEN ? "rd MIX lenght" : "all";
            EXPECT_GT(bOnInput ? r.RunOnInput(nCode, -1, pLabel) : r.Run(nCode, -1, pLabel), 0);
            o.aTraces.push_back(r.Trace());
        }
        o.nTx = r.Session().TxCount();
        o.nRx = r.Session().RxCount();
        for (int i = 0; i < kProgCount; ++i)
            o.acData.insert(o.acData.end(), store.aProgs[i].Data,
                            store.aProgs[i].Data + store.aProgs[i].Steps);
        return o;
    };
    const Outcome timer = session(false);
    const Outcome onInput = session(true);
    ASSERT_EQ(onInput.aTraces.size(), timer.aTraces.size());
    for (size_t i = 0; i < timer.aTraces.size(); ++i)
        EXPECT_EQ(onInput.aTraces[i], timer.aTraces[i]) << "operation " << i;
    EXPECT_TRUE(timer.aTraces[2].ends_with("...finished")) << timer.aTraces[2];
    EXPECT_EQ(onInput.nTx, timer.nTx);
    EXPECT_EQ(onInput.nRx, timer.nRx);
    EXPECT_EQ(onInput.acData, timer.acData);
}

// A Handheld that goes away leaves a descriptor that always polls readable: the first
// call that finds nothing there ends the watch, and the time-out ends the operation.
TEST(PtyEndToEnd, HangUpEndsTheWatchAndTheOperationTimesOut) {
    PtyRig r("-p 1");
    r.Connect();
    const int fd = r.h->serial.PollDescriptor(r.Session().Link().Handle());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(r.h->view.nWatchedFd, fd);
    ASSERT_GT(r.RunOnInput(), 0);
    EXPECT_EQ(r.h->view.nWatchedFd, -1);  // idle: nothing awaited
    r.Dlg().DeviceCommand(RD_ALL_PROGS, -1, "rd all programs: ");
    EXPECT_EQ(r.h->view.nWatchedFd, fd);
    for (int n = 0; n < 10; ++n) {
        r.ServePending();
        r.WaitForInput();
        r.Dlg().OnComReadable();
    }
    ASSERT_TRUE(r.Session().IsBusy());
    r.sim.Close();
    ASSERT_TRUE(WaitReadable(fd, PtyRig::kWaitMs));
    r.Dlg().OnComReadable();
    EXPECT_EQ(r.h->view.nWatchedFd, -1);
    int nTicks = 0;
    while (r.Session().IsBusy() && nTicks < 1000) {
        r.Tick();
        ++nTicks;
    }
    EXPECT_EQ(nTicks, 76);
    EXPECT_TRUE(r.Trace().ends_with(" --> timeout")) << r.Trace();
    // The connect's watch, and the transfer's, which the hang-up ended for good.
    EXPECT_EQ(r.h->view.aWatchLog, (std::vector<int>{fd, -1, fd, -1}));
    r.Dlg().OnConnect();
    EXPECT_EQ(r.Trace(), "Com Port closed");
    EXPECT_EQ(r.h->view.aWatchLog, (std::vector<int>{fd, -1, fd, -1}));
}

}  // namespace
