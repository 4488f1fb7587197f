// How the controls of the main window act on an open port and on a running program:
// the busy guard of the start button, the L requests of the LED panel, connecting while
// a program plays, stopping with a separator row selected, closing the window and clr.
#include <gtest/gtest.h>

#include "tests/support/PeerHarness.h"

namespace {

constexpr int kPortFd = 42;

// A peer whose open port has a descriptor the window can watch.
void Watchable(ScriptedPeer& peer) {
    peer.nPollFd = kPortFd;
}

void Press(DialogHarness& h, const std::string& strCommand) {
    ASSERT_TRUE(h.view.SelectCommand(strCommand)) << strCommand;
    h.dlg.OnStart();
}

// The LED byte an L request carries, or -1 for any other frame.
int LedRequestValue(const std::string& strFrame) {
    if (strFrame.size() != 6 || strFrame.compare(0, 3, ">3L") != 0 || strFrame[5] != '\n')
        return -1;
    return std::stoi(strFrame.substr(3, 2), nullptr, 16);
}

}  // namespace

TEST(OpenPortInterplay, StartDuringADeviceCommandDoesNothing) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    Press(t.h, "wr all programs");  // the Handheld stays silent: the command waits
    ASSERT_TRUE(t.h.session.IsBusy());
    const std::string strTrace = t.Trace();
    const std::vector<std::string> aWritten = t.peer.aWritten;
    const int nTx = t.h.session.TxCount();

    // Neither the same row, nor "run program", nor a file command may act now; a stop
    // here would cut an EEPROM write short.
    for (const char* pRow : {"wr all programs", "run program", "reload file"}) {
        SCOPED_TRACE(pRow);
        Press(t.h, pRow);
        EXPECT_TRUE(t.h.session.IsBusy());
        EXPECT_EQ(t.Trace(), strTrace);
        EXPECT_EQ(t.peer.aWritten, aWritten);
        EXPECT_EQ(t.h.session.TxCount(), nTx);
        EXPECT_EQ(t.Button(IDC_START), "stop");
        EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 0);
        EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 8);
    }
    // The command still ends by its time-out.
    EXPECT_GT(t.RunUntilIdle(), 0);
    EXPECT_EQ(t.Button(IDC_START), "start");
}

TEST(OpenPortInterplay, ShowLedsSendsTheShownByteAndCountsIt) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    const int nTx = t.h.session.TxCount();
    t.h.view.SetCheck(IDC_LED_CHECK_1 + 1, true);  // box "2" holds LED 2 lit

    t.h.session.ShowLeds(0xA9, true);
    ASSERT_EQ(t.peer.aWritten, std::vector<std::string>{">3LAB\n"});
    EXPECT_EQ(t.h.session.TxCount(), nTx + 1);
    EXPECT_EQ(t.h.view.GetText(IDC_TXCOUNT), "Tx: " + std::to_string(nTx + 1));
    EXPECT_EQ(t.h.view.ShownLeds(), 0xAB);

    // Without send only the panel changes.
    t.h.session.ShowLeds(0x04, false);
    EXPECT_EQ(t.peer.aWritten.size(), 1u);
    EXPECT_EQ(t.h.session.TxCount(), nTx + 1);
    EXPECT_EQ(t.h.view.ShownLeds(), 0x06);

    // A key and a box click go the same way, with the boxes folded in.
    t.h.dlg.OnChar('8');
    t.h.view.SetCheck(IDC_LED_CHECK_1 + 1, false);
    t.h.dlg.OnLedClicked(2);
    EXPECT_EQ(t.peer.aWritten, (std::vector<std::string>{">3LAB\n", ">3L82\n", ">3L80\n"}));
    EXPECT_EQ(t.h.session.TxCount(), nTx + 3);
    // No answer is awaited: nothing runs afterwards.
    EXPECT_FALSE(t.h.session.IsBusy());
}

TEST(OpenPortInterplay, PlaybackSendsOneRequestPerTick) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    t.h.view.ComboSetSel(IDC_PROGRAM, kEntryRandom);
    Press(t.h, "run program");
    ASSERT_EQ(t.Button(IDC_START), "stop");
    const int nTx = t.h.session.TxCount();
    for (int nTick = 1; nTick <= 5; ++nTick) {
        SCOPED_TRACE(nTick);
        t.h.dlg.OnTimer(kTimerPlay);
        ASSERT_EQ(t.peer.aWritten.size(), static_cast<size_t>(nTick));
        EXPECT_EQ(LedRequestValue(t.peer.aWritten.back()), t.h.view.ShownLeds());
        EXPECT_EQ(t.h.session.TxCount(), nTx + nTick);
    }
}

TEST(OpenPortInterplay, ConnectWhilePlayingLeavesPlaybackRunning) {
    PeerHarness t("");
    t.h.view.ComboSetSel(IDC_PROGRAM, kEntryRandom);
    Press(t.h, "run program");
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_TRUE(t.peer.aWritten.empty());  // no port yet: the panel alone

    t.peer.responder = [](const std::string& strFrame) -> std::string {
        return strFrame == ">1V\n" ? ">8vHH 1.01\n" : "";
    };
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");
    EXPECT_EQ(t.peer.aWritten, std::vector<std::string>{">1V\n"});
    // A step while the version request waits shows on the panel; its L request is held
    // until the reply has come, so the version reply is never crossed by an LED answer.
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(t.peer.aWritten.size(), 1u);

    EXPECT_GT(t.RunUntilIdle(), 0);
    EXPECT_EQ(t.Trace(), "Open Com Port:Com3, 57600 Baud, 8 Bit, 1 Stop, no Parity --> VHH 1.01");
    ASSERT_EQ(t.peer.aWritten.size(), 2u);
    EXPECT_EQ(LedRequestValue(t.peer.aWritten[1]), t.h.view.ShownLeds());
    // The end of the request frees the button while timer 1 keeps playing.
    EXPECT_EQ(t.Button(IDC_START), "start");
    EXPECT_GT(t.h.view.TimerPeriod(kTimerPlay), 0);
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(t.peer.aWritten.size(), 3u);
}

TEST(OpenPortInterplay, StartWithASeparatorSelectedDoesNotStop) {
    PeerHarness t("-p 1");
    Press(t.h, "run program");
    t.h.dlg.OnTimer(kTimerPlay);
    const std::string strTrace = t.Trace();
    Press(t.h, "-------------------------");
    EXPECT_EQ(t.Button(IDC_START), "stop");
    EXPECT_GT(t.h.view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(t.Trace(), strTrace);
    // Another row stops it.
    Press(t.h, "load file");
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(t.Button(IDC_START), "start");
}

TEST(OpenPortInterplay, ClosingTheWindowClosesThePortAndDropsTheWatch) {
    for (const char* pRow : {"run program", "wr all programs"}) {
        SCOPED_TRACE(pRow);
        PeerHarness t("-p 1", Watchable);
        t.ConnectIdle();
        ASSERT_EQ(t.peer.nOpen, 1);
        Press(t.h, pRow);  // a silent Handheld: the write waits, its reply watched
        if (std::string(pRow) == "wr all programs")
            ASSERT_EQ(t.h.view.nWatchedFd, kPortFd);

        t.h.dlg.OnDestroy();
        EXPECT_EQ(t.peer.nOpen, 0);
        EXPECT_EQ(t.h.view.nWatchedFd, -1);
        EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 0);
        EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 0);
    }
}

TEST(OpenPortInterplay, ClrWhileConnectedLeavesThePortAlone) {
    PeerHarness t("-p 1", Watchable);
    t.ConnectIdle();
    t.h.session.ShowLeds(0x01, true);
    ASSERT_GT(t.h.session.TxCount(), 0);
    const PortHandle hPort = t.h.session.Link().Handle();
    const size_t nWatchCalls = t.h.view.aWatchLog.size();

    t.h.dlg.OnClr();
    EXPECT_EQ(t.h.session.GetTrace(), "");
    EXPECT_EQ(t.h.view.GetText(IDC_RXCOUNT), "Rx: 0");
    EXPECT_EQ(t.h.view.GetText(IDC_TXCOUNT), "Tx: 0");
    EXPECT_EQ(t.h.session.Link().Handle(), hPort);
    EXPECT_EQ(t.peer.nOpen, 1);
    EXPECT_EQ(t.h.view.GetText(IDC_CONNECT), "disconnect");
    EXPECT_EQ(t.h.view.aWatchLog.size(), nWatchCalls);
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerCom), 100);

    // The line still works and counts from zero.
    t.h.session.ShowLeds(0x02, true);
    EXPECT_EQ(t.peer.aWritten.back(), ">3L02\n");
    EXPECT_EQ(t.h.session.TxCount(), 1);
}
