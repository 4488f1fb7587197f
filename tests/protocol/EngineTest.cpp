// The command engine over a scripted serial line with timer 2 stepped by hand.
#include <gtest/gtest.h>

#include "tests/support/PeerHarness.h"

namespace {

const std::string kOpenText = "Open Com Port:Com3, 57600 Baud, 8 Bit, 1 Stop, no Parity";

TEST(Engine, ConnectReadsVersionAndEnds) {
    PeerHarness t("");
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.peer.aWritten, std::vector<std::string>{">1V\n"});
    EXPECT_EQ(t.Trace(), kOpenText);
    EXPECT_TRUE(t.h.session.IsBusy());
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 8);
    EXPECT_EQ(t.Button(IDC_START), "stop");

    t.peer.Queue(">8vHH 1.01\n");
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01");
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.Button(IDC_START), "start");
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 100);
    EXPECT_EQ(t.h.session.TxCount(), 1);
    EXPECT_EQ(t.h.session.RxCount(), 1);
    EXPECT_EQ(t.h.waiter.aWaits, std::vector<int>{37});
}

TEST(Engine, ProgrammingModeJumpsToConfigOnTheNextTick) {
    PeerHarness t("-p 1");
    t.peer.responder = [](const std::string& s) -> std::string {
        return s == ">1V\n" ? ">8vHH 1.01\n" : s == ">2JC\n" ? ">3j:0\n" : "";
    };
    t.h.dlg.OnConnect();
    t.Tick();
    // The answer to the jump was queued while the version reply was handled: it belongs
    // to the next tick.
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01\r\njmp to CFG mode: ");
    EXPECT_TRUE(t.h.session.IsBusy());
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01\r\njmp to CFG mode: --> ok");
    EXPECT_EQ(t.peer.aWritten, (std::vector<std::string>{">1V\n", ">2JC\n"}));
    EXPECT_EQ(t.h.waiter.aWaits, (std::vector<int>{37, 37}));
    EXPECT_EQ(t.h.session.RxCount(), 2);
    EXPECT_EQ(t.h.session.TxCount(), 2);
    EXPECT_FALSE(t.h.session.IsBusy());
}

TEST(Engine, TimeoutFiresOnThe76thTickAndALateReplyStartsNothing) {
    PeerHarness t("-p 1");
    t.h.dlg.OnConnect();
    t.Tick(75);
    EXPECT_TRUE(t.h.session.IsBusy());
    EXPECT_EQ(t.Trace(), kOpenText);
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> timeout");
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.Button(IDC_START), "start");
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 100);

    // Dropped: it would answer the next request.
    t.peer.Queue(">8vHH 1.01\n");
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> timeout");
    EXPECT_EQ(t.h.session.RxCount(), 0);
    EXPECT_EQ(t.peer.aWritten.size(), 1u);  // no jump to config mode
    EXPECT_FALSE(t.h.session.IsBusy());
}

TEST(Engine, RepliesToJmpByLetter) {
    struct Case {
        const char* pReply;
        const char* pAppended;
        int nRx;
        bool bStillBusy;
    };
    const Case aCases[] = {
        {">3j:0\n", "--> ok", 1, false},
        {">3j:1\n", "--> error !!!", 0, false},
        {">3s:0\n", " --> (>3s) ? ", 0, false},
        {">0x\n", "", 0, true},    // length digit 0: assembled, ignored
        {">3l:0\n", "", 1, true},  // LED status: silent
        {">3l:1\n", "", 0, true},
        {">Fi000802090C0380\n", "", 0, true},  // nobody asked for info: dropped
        {">3v:0\n", "", 0, true},              // version text while a jump runs
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pReply);
        PeerHarness t("-p 1");
        t.ConnectIdle();
        const int nRx = t.h.session.RxCount();
        t.h.dlg.DeviceCommand(JMP_CONFIG, -1, "jmp to CFG mode: ");
        EXPECT_EQ(t.peer.aWritten, std::vector<std::string>{">2JC\n"});
        t.peer.Queue(c.pReply);
        t.Tick();
        EXPECT_EQ(t.Trace(), std::string("jmp to CFG mode: ") + c.pAppended);
        EXPECT_EQ(t.h.session.RxCount() - nRx, c.nRx);
        EXPECT_EQ(t.h.session.IsBusy(), c.bStillBusy);
        EXPECT_EQ(t.Button(IDC_START), c.bStillBusy ? "stop" : "start");
    }
}

TEST(Engine, LedFrameShowsLedsAndSendsNothing) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    t.peer.Queue(">3L81\n");
    t.Tick();
    EXPECT_EQ(t.h.view.ShownLeds(), 0x81);
    EXPECT_EQ(t.h.session.Player().Leds(), 0x81);
    EXPECT_TRUE(t.peer.aWritten.empty());
}

TEST(Engine, TraceSwitchDumpsFramesBothWays) {
    PeerHarness t("-t 1");
    t.h.dlg.OnConnect();
    t.peer.Queue(">8vHH 1.01\n");
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + "\r\n<< OUT: (>1V)\r\n>> IN: (>8vHH 1.01)\r\n --> VHH 1.01");
}

TEST(Engine, ReplySplitOverTicksIsHandledWhenComplete) {
    PeerHarness t("");
    t.h.dlg.OnConnect();
    t.peer.Queue(">8vH");
    t.Tick();
    t.peer.Queue("H 1.0");
    t.Tick();
    EXPECT_TRUE(t.h.session.IsBusy());
    t.peer.Queue("1\n");
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01");
}

TEST(Engine, PollEndsWhenAReadYieldsNothing) {
    PeerHarness t("");
    t.h.dlg.OnConnect();
    t.peer.bReadYieldsNothing = true;
    t.peer.Queue(">8vHH 1.01\n");
    const int nReads = t.peer.nReads;
    t.Tick();
    EXPECT_EQ(t.peer.nReads - nReads, 1);
    EXPECT_TRUE(t.h.session.IsBusy());
    t.peer.bReadYieldsNothing = false;
    t.Tick();
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01");
}

TEST(Engine, NothingIsSentWithoutAnOpenPort) {
    PeerHarness t("-p 1");
    t.h.dlg.DeviceCommand(READ_VERSION, -1, "read version: ");
    EXPECT_EQ(t.Trace(), "read version:  --> COM port not opened");
    EXPECT_TRUE(t.peer.aWritten.empty());
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.h.session.TxCount(), 0);

    // No port row selected counts as not opened, too.
    t.ConnectIdle();
    t.h.view.ComboSetSel(IDC_COMPORT, -1);
    t.h.dlg.DeviceCommand(RD_STATIC_INFO, -1, "rd static info: ");
    EXPECT_EQ(t.Trace(), "rd static info:  --> COM port not opened");
    EXPECT_TRUE(t.peer.aWritten.empty());
}

TEST(Engine, ProgramIndexBeyondNineIsRefusedBeforeSending) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    t.h.dlg.DeviceCommand(RD_SEL_PROG, 9, "rd sel. program: ");  // the Random entry
    EXPECT_EQ(t.Trace(),
              "rd sel. program: \r\n--> read static E2 info\r\n"
              "--> error selected program index !!!");
    EXPECT_TRUE(t.peer.aWritten.empty());
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.Button(IDC_START), "start");
}

TEST(Engine, MisuseOfTheSendCallsEndsTheOperation) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    // An operation the engine does not know sends nothing and ends refused.
    t.h.session.Trace().SetTrace("");
    t.h.session.Engine().StartCmd(CmdWrMixLen + 1, -1, nullptr);
    EXPECT_EQ(t.Trace(), " --> CmdUnknown not expected as parameter !!!");
    EXPECT_EQ(t.h.session.Engine().Result().eOutcome, CmdOutcome::Refused);
    EXPECT_EQ(t.h.session.Engine().Result().strMessage,
              "--> CmdUnknown not expected as parameter !!!");
    EXPECT_TRUE(t.peer.aWritten.empty());
    EXPECT_FALSE(t.h.session.IsBusy());
}

TEST(Engine, EveryRequestReArmsTheTimeout) {
    PeerHarness t("-p 1");
    t.h.dlg.OnConnect();
    t.Tick(70);
    t.peer.Queue(">8vHH 1.01\n");  // leads to the jump request
    t.Tick();
    t.Tick(75);
    EXPECT_TRUE(t.h.session.IsBusy());
    t.Tick();
    EXPECT_FALSE(t.h.session.IsBusy());
    EXPECT_EQ(t.Trace(), kOpenText + " --> VHH 1.01\r\njmp to CFG mode:  --> timeout");
}

}  // namespace
