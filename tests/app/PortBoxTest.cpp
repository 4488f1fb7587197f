// The COM port box after start-up: refreshed while no port is open, the selection kept
// on its number, frozen while a port is open; and a port that goes away while open.
#include <gtest/gtest.h>

#include "app/PortList.h"
#include "tests/support/PeerHarness.h"

namespace {

std::vector<std::string> Rows(PeerHarness& t) {
    return t.h.view.Ctl(IDC_COMPORT).aRows;
}
int Sel(PeerHarness& t) {
    return t.h.view.ComboGetSel(IDC_COMPORT);
}

TEST(PortBox, RowsFollowThePortsAndTheSelectionFollowsItsNumber) {
    PeerHarness t("", [](ScriptedPeer& p) { p.aPresent = {3, 4}; });
    t.h.view.ComboSetSel(IDC_COMPORT, 1);

    t.peer.aPresent = {2, 3, 4};
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(Rows(t), (std::vector<std::string>{"COM2", "COM3", "COM4"}));
    EXPECT_EQ(t.h.view.Ctl(IDC_COMPORT).aTips,
              (std::vector<std::string>{"/dev/scripted2", "/dev/scripted3", "/dev/scripted4"}));
    EXPECT_EQ(Sel(t), 2);  // still COM4

    // COM4 goes: the start-up rule picks the row.
    t.peer.aPresent = {2, 3};
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(Rows(t), (std::vector<std::string>{"COM2", "COM3"}));
    EXPECT_EQ(Sel(t), 0);

    // Nothing changed: the box is left alone, an empty selection included.
    t.h.view.ComboSetSel(IDC_COMPORT, -1);
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(Sel(t), -1);

    t.peer.aPresent = {};
    t.h.dlg.RefreshPortBox();
    EXPECT_TRUE(Rows(t).empty());
    EXPECT_EQ(Sel(t), -1);
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Button(IDC_CONNECT), "connect");
}

TEST(PortBox, AnOpenPortFreezesTheListUntilDisconnect) {
    PeerHarness t("", [](ScriptedPeer& p) { p.aPresent = {3}; });
    t.ConnectIdle();
    ASSERT_EQ(t.Button(IDC_CONNECT), "disconnect");

    t.peer.aPresent = {3, 5};
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(Rows(t), std::vector<std::string>{"COM3"});
    EXPECT_EQ(t.peer.nOpen, 1);  // the open port was not probed again

    // What changed meanwhile shows once the port is closed.
    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Button(IDC_CONNECT), "connect");
    EXPECT_EQ(Rows(t), (std::vector<std::string>{"COM3", "COM5"}));
    EXPECT_EQ(Sel(t), 0);
    EXPECT_EQ(t.peer.nOpen, 0);
}

TEST(PortBox, EmulationOffersComOneOnlyWhileNoPortIsThere) {
    PeerHarness t("-e 1", [](ScriptedPeer& p) { p.aPresent = {}; });
    EXPECT_EQ(Rows(t), std::vector<std::string>{"COM1"});
    EXPECT_EQ(t.h.view.Ctl(IDC_COMPORT).aTips, std::vector<std::string>{"emulated Handheld"});

    t.peer.aPresent = {1};  // a real COM1 now: same row, another meaning
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(t.h.view.Ctl(IDC_COMPORT).aTips, std::vector<std::string>{"/dev/scripted1"});

    t.peer.aPresent = {};
    t.h.dlg.RefreshPortBox();
    EXPECT_EQ(t.h.view.Ctl(IDC_COMPORT).aTips, std::vector<std::string>{"emulated Handheld"});
    EXPECT_EQ(Sel(t), 0);
}

TEST(PortBox, OnlyNumbersThatCanBeOpenedAreListed) {
    PeerHarness t("", [](ScriptedPeer& p) { p.aPresent = {3, 99, 100, 255}; });
    EXPECT_EQ(Rows(t), (std::vector<std::string>{"COM3", "COM99"}));

    CPortList list;
    EXPECT_TRUE(list.Update({5, 100}, false));
    EXPECT_EQ(list.Rows(), std::vector<unsigned>{5});
    EXPECT_TRUE(list.Update({100, 200}, false));
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_EQ(list.PortOfRow(0), 0u);
    EXPECT_EQ(list.RowToSelect(5), 0);
}

TEST(PortBox, APortLostWhileConnectedIsTracedOnceAndCanBeConnectedAgain) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    t.h.dlg.DeviceCommand(RD_STATIC_INFO, -1, "rd static info: ");
    ASSERT_TRUE(t.h.session.IsBusy());
    t.peer.bGone = true;

    EXPECT_EQ(t.RunUntilIdle(), 76);  // the time-out ends the operation, as ever
    EXPECT_EQ(t.Trace(), "rd static info:  --> COM port lost !!! --> timeout");
    t.Tick(3);
    EXPECT_EQ(t.Trace(), "rd static info:  --> COM port lost !!! --> timeout");
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");

    t.h.dlg.OnConnect();
    EXPECT_EQ(t.Trace(), "Com Port closed");
    t.peer.bGone = false;  // plugged in again
    t.ConnectIdle();
    EXPECT_EQ(t.Button(IDC_CONNECT), "disconnect");
    EXPECT_EQ(t.Trace().find("lost"), std::string::npos) << t.Trace();
}

}  // namespace
