// Input read as soon as the port reports it: the same receive path as timer 2, without
// its time-out count, and the window asked to watch the port only while it is usable.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "tests/support/PeerHarness.h"

namespace {

const std::string kOpenText = "Open Com Port:Com3, 57600 Baud, 8 Bit, 1 Stop, no Parity";

TEST(ComReadable, ReadsTheReplyAtOnce) {
    PeerHarness t("");
    t.h.dlg.OnConnect();
    t.peer.Queue(">8vHH 1.01\n");
    t.h.dlg.OnComReadable();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01");
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.Button(IDC_START), "start");
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 100);
    EXPECT_EQ(t.h.session.RxCount(), 1);
    EXPECT_EQ(t.h.session.TxCount(), 1);
}

TEST(ComReadable, CountsNoTimeoutTick) {
    PeerHarness t("-p 1");
    t.h.dlg.OnConnect();
    t.Tick(75);
    for (int n = 0; n < 200; ++n)
        t.h.dlg.OnComReadable();
    EXPECT_TRUE(t.h.session.IsBusy());
    EXPECT_EQ(t.Trace(), kOpenText);
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> timeout");
    EXPECT_FALSE(t.h.session.IsBusy());
}

TEST(ComReadable, ReplyInPiecesIsHandledWhenComplete) {
    PeerHarness t("");
    t.h.dlg.OnConnect();
    for (const char* pPiece : {">8v", "HH 1", ".01"}) {
        t.peer.Queue(pPiece);
        t.h.dlg.OnComReadable();
        EXPECT_TRUE(t.h.session.IsBusy()) << pPiece;
    }
    t.peer.Queue("\n");
    t.h.dlg.OnComReadable();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01");
}

// A reply whose length has been read: the watch is asked to wake only for its rest.
TEST(ComReadable, WatchWakesForTheRestOfAnAnnouncedReply) {
    struct ThresholdPeer : ScriptedPeer {
        bool SetReadWakeThreshold(PortHandle, int nBytes) override {
            aThresholds.push_back(nBytes);
            return true;
        }
        std::vector<int> aThresholds;
    };
    ThresholdPeer peer;
    DialogHarness h(&peer);
    h.Start("");
    h.dlg.OnConnect();
    for (const char* pPiece : {">", "8vH", "H 1", ".01\n"}) {
        peer.Queue(pPiece);
        h.dlg.OnComReadable();
    }
    EXPECT_FALSE(h.session.IsBusy());
    // The length is not known after '>': any byte; after ">8vH" 7 more, after
    // ">8vHH 1" 4; with the reply complete, any byte again.
    EXPECT_EQ(peer.aThresholds, (std::vector<int>{7, 4, 1}));
}

// A request sent from a reply handler is answered on the next call, as on the next tick.
TEST(ComReadable, ChainedRequestIsReadOnTheNextCall) {
    PeerHarness t("-p 1");
    t.peer.responder = [](const std::string& s) -> std::string {
        return s == ">1V\n" ? ">8vHH 1.01\n" : s == ">2JC\n" ? ">3j:0\n" : "";
    };
    t.h.dlg.OnConnect();
    t.h.dlg.OnComReadable();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01\r\njmp to CFG mode: ");
    EXPECT_TRUE(t.h.session.IsBusy());
    t.h.dlg.OnComReadable();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01\r\njmp to CFG mode: --> ok");
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.h.waiter.aWaits, (std::vector<int>{37, 37}));
}

// The same transfer, replies read by timer 2 or as they come: the same trace, frames
// and counters.
TEST(ComReadable, TransferLeavesTheSameTraceAsTimer2) {
    auto run = [](bool bReadable) {
        PeerHarness t("-p 1 -t 1");
        t.ConnectIdle();
        t.AnswerLikeTheHandheld();
        ProgramStore& store = t.h.session.Store();
        std::snprintf(store.aProgs[2].Name, sizeof store.aProgs[2].Name, "three");
        store.aProgs[2].Steps = 40;
        for (int s = 0; s < 40; ++s)
            store.aProgs[2].Data[s] = static_cast<uint8_t>(s * 5);
        std::string strTrace;
        for (int32_t nCode : {WR_SEL_PROG, RD_SEL_PROG}) {
            t.h.dlg.DeviceCommand(nCode, 2, "op: ");
            for (int n = 0; n < 1000 && t.h.session.IsBusy(); ++n)
                bReadable ? t.h.dlg.OnComReadable() : t.Tick();
            strTrace += t.Trace() + "|";
        }
        return std::make_tuple(strTrace, t.peer.aWritten, t.h.session.TxCount(),
                               t.h.session.RxCount());
    };
    const auto timer = run(false);
    const auto readable = run(true);
    EXPECT_EQ(readable, timer);
    EXPECT_NE(std::get<0>(timer).find(" finished|"), std::string::npos) << std::get<0>(timer);
}

TEST(ComReadable, EmulationIsReadOnTimer2Only) {
    PeerHarness t("-e 1");
    DialogHarness& h = t.h;
    h.dlg.OnConnect();
    ASSERT_TRUE(h.session.IsBusy());
    h.dlg.OnComReadable();
    EXPECT_TRUE(h.session.IsBusy());
    h.dlg.OnTimer(kTimerCom);
    EXPECT_FALSE(h.session.IsBusy());
    EXPECT_EQ(h.session.RxCount(), 1);
    EXPECT_TRUE(h.view.aWatchLog.empty());
}

TEST(ComReadable, NothingHappensWithoutAPort) {
    PeerHarness t("");
    t.peer.Queue(">3L81\n");
    t.h.dlg.OnComReadable();
    EXPECT_EQ(t.h.session.RxCount(), 0);
    EXPECT_EQ(t.peer.nReads, 0);
}

// A line whose descriptor can be watched, and can go away.
struct WatchablePeer : ScriptedPeer {
    int PollDescriptor(PortHandle hPort) override { return hPort == kHandle ? nFd : -1; }
    int nFd = 7;
};

TEST(ComReadable, WindowWatchesTheOpenPortWhileAReplyIsAwaited) {
    WatchablePeer peer;
    DialogHarness h(&peer);
    h.Start("");
    h.dlg.OnConnect();
    EXPECT_EQ(h.view.aWatchLog, std::vector<int>{7});
    peer.Queue(">8vHH 1.01\n");
    h.dlg.OnComReadable();
    ASSERT_FALSE(h.session.IsBusy());
    // Idle: nothing waits for input, timer 2 alone reads what comes (LED answers).
    EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1}));
    h.session.ShowLeds(0x81, true);
    peer.Queue(">3l:0\n");
    h.dlg.OnTimer(kTimerCom);
    EXPECT_EQ(h.session.RxCount(), 2);
    EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1}));

    h.dlg.OnConnect();  // disconnect
    EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1}));
    h.dlg.OnConnect();
    EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1, 7}));
    h.dlg.OnDestroy();  // while the version request waits
    EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1, 7, -1}));
}

// A hung-up descriptor reports input for ever: after a call that found nothing, the
// dialog asks for the descriptor again and stops the watch once it is gone.
TEST(ComReadable, GoneDeviceEndsTheWatch) {
    struct Case {
        const char* pName;
        bool bTick;
    };
    for (const Case& c : {Case{"readable call", false}, Case{"timer 2", true}}) {
        SCOPED_TRACE(c.pName);
        WatchablePeer peer;
        DialogHarness h(&peer);
        h.Start("");
        h.dlg.OnConnect();
        ASSERT_EQ(h.view.nWatchedFd, 7);
        h.dlg.OnComReadable();  // nothing there, still usable: the watch stays
        EXPECT_EQ(h.view.aWatchLog, std::vector<int>{7});
        peer.nFd = -1;
        c.bTick ? h.dlg.OnTimer(kTimerCom) : h.dlg.OnComReadable();
        EXPECT_EQ(h.view.aWatchLog, (std::vector<int>{7, -1}));
        h.dlg.OnComReadable();
        EXPECT_EQ(h.view.aWatchLog.size(), 2u);
        // The operation still ends on the time-out of timer 2.
        for (int n = 0; n < 76 && h.session.IsBusy(); ++n)
            h.dlg.OnTimer(kTimerCom);
        EXPECT_TRUE(h.session.GetTrace().ends_with(" --> timeout"));
    }
}

}  // namespace
