#include <gtest/gtest.h>

#include "tests/support/DialogHarness.h"

namespace {

class LedPanel : public testing::Test {
protected:
    void SetUp() override { h.Start(""); }
    void Check(int nLed, bool b) { h.view.SetCheck(IDC_LED_CHECK_1 + nLed - 1, b); }
    DialogHarness h;
};

TEST_F(LedPanel, KeysToggleTheLedByte) {
    EXPECT_TRUE(h.dlg.OnChar('3'));
    EXPECT_EQ(h.session.Player().Leds(), 0x04);
    EXPECT_EQ(h.view.ShownLeds(), 0x04);
    EXPECT_TRUE(h.dlg.OnChar('3'));
    EXPECT_EQ(h.session.Player().Leds(), 0x00);
    EXPECT_EQ(h.view.ShownLeds(), 0x00);
    EXPECT_TRUE(h.dlg.OnChar('8'));
    EXPECT_EQ(h.view.ShownLeds(), 0x80);
}

TEST_F(LedPanel, OtherCharactersAreNotTaken) {
    for (char ch : {'0', '9', 'a', ' ', '\r', '\x1b'})
        EXPECT_FALSE(h.dlg.OnChar(ch));
    EXPECT_EQ(h.session.Player().Leds(), 0);
}

TEST_F(LedPanel, CheckedBoxKeepsItsLedLit) {
    Check(5, true);
    h.dlg.OnChar('5');
    EXPECT_EQ(h.session.Player().Leds(), 0x10);
    EXPECT_EQ(h.view.ShownLeds(), 0x10);
    h.dlg.OnChar('5');
    EXPECT_EQ(h.session.Player().Leds(), 0x00);
    EXPECT_EQ(h.view.ShownLeds(), 0x10);
}

TEST_F(LedPanel, UncheckingABoxPutsItsLedOut) {
    for (char ch = '1'; ch <= '8'; ++ch)
        h.dlg.OnChar(ch);
    ASSERT_EQ(h.session.Player().Leds(), 0xFF);
    Check(2, false);
    h.dlg.OnLedClicked(2);
    EXPECT_EQ(h.view.ShownLeds(), 0xFD);
    EXPECT_EQ(h.session.Player().Leds(), 0xFF);  // the panel never changes the stored byte
}

TEST_F(LedPanel, ShowLedsCombinesTheBoxesAndLeavesTheByteAlone) {
    Check(1, true);
    h.session.ShowLeds(0x80, true);
    EXPECT_EQ(h.view.ShownLeds(), 0x81);
    EXPECT_EQ(h.session.Player().Leds(), 0x00);
}

TEST_F(LedPanel, NothingIsSentWhileNoPortIsOpen) {
    h.dlg.OnChar('1');
    EXPECT_EQ(h.session.TxCount(), 0);
    EXPECT_EQ(h.view.GetText(IDC_TXCOUNT), "Tx: 0");
}

TEST_F(LedPanel, CountersAndClr) {
    h.session.Link().AddTxCount(0);
    EXPECT_EQ(h.view.Ctl(IDC_TXCOUNT).nRedraws, 0);
    h.session.Link().AddTxCount(2);
    h.session.Link().AddRxCount(1);
    h.session.Link().AddRxCount(1);
    EXPECT_EQ(h.view.GetText(IDC_TXCOUNT), "Tx: 2");
    EXPECT_EQ(h.view.GetText(IDC_RXCOUNT), "Rx: 2");
    h.session.Trace().SetTrace(std::string(10000, 'x'));
    h.dlg.OnClr();
    EXPECT_EQ(h.view.GetText(IDC_TRACE), "");
    EXPECT_EQ(h.view.GetText(IDC_TXCOUNT), "Tx: 0");
    EXPECT_EQ(h.view.GetText(IDC_RXCOUNT), "Rx: 0");
    EXPECT_EQ(h.session.RxCount(), 0);
}

TEST_F(LedPanel, TraceLogAppendsAtTheEnd) {
    h.session.Trace().SetTrace("read version: ");
    const int nScrolls = h.view.Ctl(IDC_TRACE).nScrolls;
    h.session.Trace().AppendTrace(" --> VHH 1.01");
    EXPECT_EQ(h.view.GetText(IDC_TRACE), "read version:  --> VHH 1.01");
    EXPECT_EQ(h.session.GetTrace(), "read version:  --> VHH 1.01");
    EXPECT_EQ(h.view.Ctl(IDC_TRACE).nScrolls, nScrolls + 1);
    // clr does not scroll: it asks for a repaint.
    h.dlg.OnClr();
    EXPECT_EQ(h.view.Ctl(IDC_TRACE).nScrolls, nScrolls + 1);
}

TEST_F(LedPanel, FileNameBox) {
    h.dlg.SetFileName("/x/y.ini");
    EXPECT_EQ(h.dlg.GetFileName(), "/x/y.ini");
    h.view.Remove(IDC_FILENAME);
    h.dlg.SetFileName("/z.ini");
    EXPECT_EQ(h.dlg.GetFileName(), "");
}

}  // namespace
