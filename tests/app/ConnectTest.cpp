// The connect button and the device-command branch of the start button.
#include <gtest/gtest.h>

#include "tests/support/PeerHarness.h"

namespace {

const std::string kDescription = "57600 Baud, 8 Bit, 1 Stop, no Parity";

int RowOf(FakeView& view, const std::string& strText) {
    const auto& aRows = view.Ctl(IDC_COMPORT).aRows;
    for (size_t i = 0; i < aRows.size(); ++i) {
        if (aRows[i] == strText)
            return static_cast<int>(i);
    }
    return -1;
}

TEST(Connect, OpensTheSelectedRowsPort) {
    PeerHarness t("", [](ScriptedPeer& p) { p.aPresent = {3, 4}; });
    t.h.view.ComboSetSel(IDC_COMPORT, RowOf(t.h.view, "COM4"));
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Trace(), "Open Com Port:Com4, " + kDescription);
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");
    EXPECT_NE(t.h.session.Link().Handle(), kNullHandle);
    EXPECT_EQ(t.peer.aWritten, std::vector<std::string>{">1V\n"});
    EXPECT_EQ(t.h.waiter.aWaits, std::vector<int>{37});
}

TEST(Connect, FailuresKeepTheButtonTheCountersAndANullHandle) {
    struct Case {
        const char* pName;
        const char* pRow;
        bool bTimeoutsOk, bStateOk;
        std::string strTrace;
    };
    const Case aCases[] = {
        {"busy port", "COM5", true, true, "Could Not Open Com Port - INVLID_HANDLE_VALUE"},
        {"time-outs refused", "COM3", false, true,
         "Could Not Open Com Port - Could not set comm timeouts"},
        {"line settings refused", "COM3", true, false,
         "Could Not Open Com Port - Could not set the comstate"},
        // Never listed (see PortBoxTest), but a box filled some other way may hold it.
        {"number beyond 99", "COM120", true, true,
         "Could Not Open Com Port - port number out of range (1-99)"},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pName);
        PeerHarness t("", [](ScriptedPeer& p) {
            p.aPresent = {3, 120};
            p.aBusy = {5};
        });
        // A first connect and disconnect leave the counters at 1 frame sent.
        t.ConnectIdle();
        t.h.dlg.OnConnect();
        ASSERT_EQ(t.Button(IDC_CONNECT), "connect");
        ASSERT_EQ(t.h.session.TxCount(), 1);

        t.peer.bTimeoutsOk = c.bTimeoutsOk;
        t.peer.bStateOk = c.bStateOk;
        if (RowOf(t.h.view, c.pRow) < 0)
            t.h.view.ComboInsert(IDC_COMPORT, t.h.view.ComboCount(IDC_COMPORT), c.pRow);
        t.h.view.ComboSetSel(IDC_COMPORT, RowOf(t.h.view, c.pRow));
        t.h.dlg.OnConnect();
        EXPECT_EQ(t.Trace(), c.strTrace);
        EXPECT_EQ(t.Button(IDC_CONNECT), "connect");
        EXPECT_EQ(t.h.session.Link().Handle(), kNullHandle);
        EXPECT_EQ(t.h.session.TxCount(), 1);
        EXPECT_EQ(t.peer.nOpen, 0);
        EXPECT_TRUE(t.peer.aWritten.empty());
        EXPECT_FALSE(t.h.session.IsBusy());
    }
}

TEST(Connect, DisconnectClosesAndLaterCommandsFindNoPort) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Trace(), "Com Port closed");
    EXPECT_EQ(t.Button(IDC_CONNECT), "connect");
    EXPECT_EQ(t.h.session.Link().Handle(), kNullHandle);
    EXPECT_EQ(t.peer.nOpen, 0);

    t.h.dlg.DeviceCommand(READ_VERSION, -1, "read version: ");
    EXPECT_EQ(t.Trace(), "read version:  --> COM port not opened");
    EXPECT_TRUE(t.peer.aWritten.empty());

    // Connecting again opens the port afresh.
    t.ConnectIdle();
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");
    EXPECT_EQ(t.peer.nOpen, 1);
}

TEST(Connect, IgnoredWhileBusyOrWithoutASelectedPort) {
    PeerHarness t("");
    t.h.dlg.OnConnect();  // version request out, no answer yet
    ASSERT_TRUE(t.h.session.IsBusy());
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");
    EXPECT_EQ(t.peer.aWritten.size(), 1u);

    PeerHarness u("");
    u.h.view.ComboSetSel(IDC_COMPORT, -1);
    u.h.session.Trace().SetTrace("before");
    u.h.dlg.OnConnect();
    EXPECT_EQ(u.Trace(), "before");
    EXPECT_EQ(u.Button(IDC_CONNECT), "connect");
    EXPECT_EQ(u.peer.nOpen, 0);
}

TEST(DeviceCommand, EachCodeStartsItsOperation) {
    struct Case {
        int32_t nCode;
        const char* pFirstFrame;  // nullptr: nothing is sent
        bool bStaticFirst;
    };
    const Case aCases[] = {
        {READ_VERSION, ">1V\n", false},     {JMP_CONFIG, ">2JC\n", false},
        {JMP_NORMAL, ">2JN\n", false},      {RD_STATIC_INFO, ">3I00\n", false},
        {RD_SEL_PROG, ">3I00\n", true},     {WR_SEL_PROG, ">3I00\n", true},
        {RD_ALL_PROGS, ">3I00\n", true},    {WR_ALL_PROGS, ">3I00\n", true},
        {RD_MIX_LEN, ">7R000101\n", false}, {WR_MIX_LEN, ">7W000150\n", false},
        {RUN_PROGRAM, nullptr, false},      {LOAD_FILE, nullptr, false},
        {STORE_FILE, nullptr, false},       {CMD_SEPARATOR, nullptr, false},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.nCode);
        PeerHarness t("-p 1");
        t.ConnectIdle();
        t.h.session.Store().RandomLen = 80;
        t.h.session.Trace().SetTrace("idle");
        t.h.dlg.DeviceCommand(c.nCode, 0, "label: ");
        if (c.pFirstFrame == nullptr) {
            EXPECT_TRUE(t.peer.aWritten.empty());
            EXPECT_EQ(t.Trace(), "idle");
            continue;
        }
        EXPECT_EQ(t.peer.aWritten, std::vector<std::string>{c.pFirstFrame});
        EXPECT_EQ(t.Trace(), c.bStaticFirst ? "label: \r\n--> read static E2 info\r\n" : "label: ");
        EXPECT_TRUE(t.h.session.IsBusy());
    }
}

TEST(DeviceCommand, SelectedProgramRowGivesTheProgramIndex) {
    for (int32_t nCode : {RD_SEL_PROG, WR_SEL_PROG}) {
        PeerHarness t("-p 1");
        t.ConnectIdle();
        t.h.dlg.DeviceCommand(nCode, 1, "label: ");
        t.peer.Queue(">Fi000802090C0380\n");
        t.Tick();
        EXPECT_EQ(t.peer.aWritten, (std::vector<std::string>{">3I00\n", ">3I02\n"}));
    }
}

}  // namespace
