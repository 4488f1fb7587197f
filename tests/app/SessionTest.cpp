// A session without any window: ports, whole device operations to their outcome, the
// store, and what it reports to a front end.
#include "app/Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/FakeComApi.h"
#include "tests/support/NullComApi.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TestDoubles.h"

namespace {

// Records the reports a command-line front end would act on.
struct Reports : SessionListener {
    void OnOutcome(CmdOutcome eOutcome) override { aOutcomes.push_back(eOutcome); }
    void OnProgress(int nDone, int nTotal) override {
        aDone.push_back(nDone);
        nLastTotal = nTotal;
    }
    void OnBusy() override { ++nBusy; }
    void OnIdle() override { ++nIdle; }
    void OnTraceAppend(const std::string& strText, bool) override { strAppended += strText; }

    std::vector<CmdOutcome> aOutcomes;
    std::vector<int> aDone;
    int nLastTotal = -1;
    int nBusy = 0;
    int nIdle = 0;
    std::string strAppended;
};

struct Headless {
    explicit Headless(ComApi& api, bool bProgMode = true, bool bComEmu = true)
        : session(SessionServices{&api, &waiter, &clock, &debug}) {
        session.SetListener(&reports);
        SessionOptions options;
        options.bProgMode = bProgMode;
        options.bComEmu = bComEmu;
        session.Configure(options);
    }
    // Opens the port, reads the version (and in programming mode switches to
    // configuration mode) to the end.
    void Connect(unsigned nPort = 1) { ASSERT_EQ(session.Connect(nPort), CmdOutcome::Finished); }

    RecordingWaiter waiter;
    RecordingDebugSink debug;
    FixedClock clock;
    Reports reports;
    CSession session;
};

TEST(Session, ReadsTheWholeStoreOfTheEmulatedHandheldWithoutAWindow) {
    NullComApi api;
    Headless t(api);
    ASSERT_TRUE(t.session.IsEmulatedOnly());
    ASSERT_EQ(t.session.Ports(), std::vector<unsigned>{1});
    t.Connect();
    EXPECT_EQ(t.reports.aOutcomes, std::vector<CmdOutcome>{CmdOutcome::Finished});
    EXPECT_FALSE(t.session.Emulator().IsNormalMode());
    EXPECT_EQ(t.session.GetTrace(),
              "Open Com Port:ComEmu, 57600 Baud, 8 Bit, 1 Stop, no Parity --> VHH 1.01\r\n"
              "jmp to CFG mode: --> ok");

    t.reports = Reports{};
    t.waiter.aWaits.clear();
    EXPECT_EQ(t.session.Run(RD_ALL_PROGS), CmdOutcome::Finished);
    EXPECT_EQ(t.session.LastOutcome(), CmdOutcome::Finished);
    EXPECT_EQ(t.reports.aOutcomes, std::vector<CmdOutcome>{CmdOutcome::Finished});
    EXPECT_EQ(t.session.GetTrace().rfind("rd all programs: \r\n--> read static E2 info", 0), 0u);
    EXPECT_EQ(t.session.Store().aProgs[0].Steps, 8);
    EXPECT_EQ(t.session.Store().aProgs[1].Data[1], 0x03);
    EXPECT_EQ(t.session.Store().RandomLen, 0x20);
    EXPECT_EQ(t.session.Info().ProgSize, 896);
    // One report per reply taken, counting from the operation's start.
    ASSERT_FALSE(t.reports.aDone.empty());
    EXPECT_EQ(t.reports.aDone.front(), 1);
    EXPECT_EQ(t.reports.aDone.back(), t.session.RxCount() - 2);  // the connect took two
    EXPECT_TRUE(std::is_sorted(t.reports.aDone.begin(), t.reports.aDone.end()));
    EXPECT_EQ(t.reports.nLastTotal, 0);
    // Stepped at the period the engine asked for while busy.
    EXPECT_NE(
        std::find(t.waiter.aWaits.begin(), t.waiter.aWaits.end(), CCommandEngine::kBusyPollMs),
        t.waiter.aWaits.end());
}

TEST(Session, EachWayAnOperationEndsHasItsOwnOutcome) {
    NullComApi api;
    {
        SCOPED_TRACE("no port open");
        Headless t(api);
        EXPECT_EQ(t.session.Run(READ_VERSION), CmdOutcome::Refused);
        EXPECT_EQ(t.session.GetTrace(), "read version:  --> COM port not opened");
        EXPECT_EQ(t.reports.nBusy, 0);
    }
    {
        SCOPED_TRACE("not a device operation");
        Headless t(api);
        t.Connect();
        EXPECT_EQ(t.session.Run(LOAD_FILE), CmdOutcome::Refused);
        EXPECT_FALSE(t.session.StartOperation(RUN_PROGRAM, 0, "run program: "));
    }
    {
        SCOPED_TRACE("no answer in normal mode");
        Headless t(api);
        t.Connect();
        ASSERT_EQ(t.session.Run(JMP_NORMAL), CmdOutcome::Finished);
        EXPECT_EQ(t.session.Run(RD_STATIC_INFO), CmdOutcome::TimedOut);
        EXPECT_EQ(t.reports.strAppended.substr(t.reports.strAppended.size() - 12), " --> timeout");
    }
    {
        SCOPED_TRACE("program index the Handheld does not have");
        Headless t(api);
        t.Connect();
        EXPECT_EQ(t.session.Run(RD_SEL_PROG, 9), CmdOutcome::Failed);
        EXPECT_NE(t.session.GetTrace().find("--> error selected program index !!!"),
                  std::string::npos);
    }
    {
        SCOPED_TRACE("stopped by the host");
        Headless t(api);
        t.Connect();
        const int nIdle = t.reports.nIdle;
        ASSERT_TRUE(t.session.StartOperation(RD_ALL_PROGS, 0, "rd all programs: "));
        ASSERT_TRUE(t.session.IsBusy());
        t.session.StopOperation();
        EXPECT_FALSE(t.session.IsBusy());
        EXPECT_EQ(t.session.LastOutcome(), CmdOutcome::Stopped);
        EXPECT_EQ(t.reports.nIdle, nIdle + 1);
        t.session.StopOperation();  // nothing runs: no second outcome
        EXPECT_EQ(t.reports.aOutcomes.size(), 2u);
    }
}

TEST(Session, ADeviceErrorIsAFailureAndTheNextOperationStartsCleanly) {
    ScriptedPeer peer;
    Headless t(peer, false, false);
    peer.responder = [](const std::string& strFrame) -> std::string {
        if (strFrame == ">1V\n")
            return ">8vHH 1.01\n";
        if (strFrame == ">2JC\n")
            return ">3j:1\n";
        return {};
    };
    t.Connect(3);
    EXPECT_EQ(t.session.Run(JMP_CONFIG), CmdOutcome::Failed);
    EXPECT_EQ(t.session.Run(READ_VERSION), CmdOutcome::Finished);
    EXPECT_EQ(peer.aWritten.back(), ">1V\n");
}

// A start-up probes each port once: the configure that every front end runs, not the
// construction before it as well.
TEST(Session, PortsAreProbedWhenConfiguredOnly) {
    FakeComApi api;
    api.SetPort(6, FakeComApi::Port::Present);
    RecordingWaiter waiter;
    FixedClock clock;
    CSession session(SessionServices{&api, &waiter, &clock, nullptr});
    EXPECT_EQ(api.CountCalls("CreateFile"), 0);
    EXPECT_TRUE(session.Ports().empty());
    session.Configure({});
    EXPECT_EQ(api.CountCalls("CreateFile"), 255);
    EXPECT_EQ(session.Ports(), std::vector<unsigned>{6});
}

TEST(Session, PortsOpenAndCloseWithCountersAndTheReason) {
    ScriptedPeer peer;
    peer.aPresent = {3};
    peer.aBusy = {4};
    Headless t(peer, false, false);
    EXPECT_EQ(t.session.Ports(), (std::vector<unsigned>{3, 4}));
    EXPECT_EQ(t.session.OpenPort(4), "INVLID_HANDLE_VALUE");
    EXPECT_FALSE(t.session.IsPortOpen());
    EXPECT_EQ(t.session.OpenPort(120), "port number out of range (1-99)");
    EXPECT_EQ(t.session.Connect(4), CmdOutcome::Refused);
    EXPECT_EQ(t.session.GetTrace(), "Could Not Open Com Port - INVLID_HANDLE_VALUE");
    ASSERT_EQ(t.session.OpenPort(3), "");
    EXPECT_TRUE(t.session.IsPortOpen());
    EXPECT_EQ(peer.nOpen, 1);
    EXPECT_EQ(t.session.TxCount(), 0);
    t.session.ShowLeds(0x81, true);
    EXPECT_EQ(peer.aWritten, std::vector<std::string>{">3L81\n"});
    EXPECT_EQ(t.session.TxCount(), 1);
    // Opening again closes the port open before.
    ASSERT_EQ(t.session.OpenPort(3), "");
    EXPECT_EQ(peer.nOpen, 1);
    EXPECT_EQ(t.session.TxCount(), 0);
    t.session.ClosePort();
    EXPECT_EQ(peer.nOpen, 0);
}

TEST(Session, PortsAreFoundAgainOnlyWhileNoneIsOpenAndALostOneIsTraced) {
    ScriptedPeer peer;
    peer.aPresent = {3};
    Headless t(peer, false, false);
    peer.aPresent = {3, 7};
    ASSERT_EQ(t.session.OpenPort(3), "");
    EXPECT_FALSE(t.session.RefreshPorts());
    EXPECT_EQ(t.session.Ports(), std::vector<unsigned>{3});

    // The device goes while the session polls it: one trace line, however long it polls.
    peer.bGone = true;
    t.session.OnComTimer();
    t.session.OnComReadable();
    t.session.OnComTimer();
    EXPECT_EQ(t.reports.strAppended, " --> COM port lost !!!");

    // The list follows the pulled adapter and its return before the port is closed.
    peer.aPresent = {7};
    EXPECT_TRUE(t.session.RefreshPorts());
    EXPECT_EQ(t.session.Ports(), std::vector<unsigned>{7});
    peer.aPresent = {3, 7};
    t.session.ClosePort();
    EXPECT_TRUE(t.session.RefreshPorts());
    EXPECT_EQ(t.session.Ports(), (std::vector<unsigned>{3, 7}));
    EXPECT_FALSE(t.session.RefreshPorts());  // nothing new
    EXPECT_EQ(t.session.OpenPort(3), "");
}

// With the frame trace on, the first line says whether the adapter passes short
// replies on at once; where there is no such setting it says nothing.
TEST(Session, OpenedTextSaysWhetherLowLatencyWasGranted) {
    const struct {
        std::optional<bool> granted;
        bool bTrace;
        const char* pszTail;
    } aCases[] = {
        {true, true, ", low latency on"},
        {false, true, ", low latency refused"},
        {std::nullopt, true, ""},
        {false, false, ""},
    };
    for (const auto& c : aCases) {
        ScriptedPeer peer;
        peer.lowLatency = c.granted;
        Headless t(peer, false, false);
        t.session.Engine().SetFrameTrace(c.bTrace);
        ASSERT_EQ(t.session.OpenPort(3), "");
        EXPECT_EQ(
            t.session.OpenedText(),
            std::string("Open Com Port:Com3, 57600 Baud, 8 Bit, 1 Stop, no Parity") + c.pszTail);
    }
}

TEST(Session, CommandListsFollowTheMode) {
    NullComApi api;
    Headless normal(api, false, false);
    EXPECT_EQ(normal.session.CommandCount(), 6);
    Headless programmer(api, true, false);
    EXPECT_EQ(programmer.session.CommandCount(), 20);
    EXPECT_EQ(CSession::CommandLabel(RD_MIX_LEN), "rd MIX lenght");
    EXPECT_EQ(CSession::CommandLabel(CMD_SEPARATOR), "");
}

}  // namespace
