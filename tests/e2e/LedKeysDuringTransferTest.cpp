// LED keys pressed during whole-store transfers, between every pair of exchanges: the
// panel follows each key at once, the transfer ends with the same trace and the same
// store as without keys, and the Handheld gets the newest LED state once it has ended.
// Over the pseudo-terminal, stray LED answers come in between as well.
// Against the emulated Handheld and against the simulator over a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "tests/e2e/PtyRig.h"

namespace {

void FillStore(ProgramStore& store) {
    for (int k = 0; k < kProgCount; ++k) {
        LightProgram& prog = store.aProgs[k];
        std::snprintf(prog.Name, sizeof prog.Name, "keys %d", k + 1);
        prog.Steps = static_cast<uint16_t>(9 + 4 * k);
        prog.MixAllowed = (k + 1) % 2;
        for (int s = 0; s < prog.Steps; ++s)
            prog.Data[s] = static_cast<uint8_t>(s * 5 + k);
    }
    store.RandomLen = 77;
}

struct Outcome {
    std::string strWriteTrace, strReadTrace;
    ProgramStore readBack;
    int nKeys = 0;
};

// One exchange per call of step; press runs between two exchanges.
struct TransferRun {
    DialogHarness& h;
    std::function<void()> step;
    std::function<void()> press;

    std::string Run(int32_t nCode, const std::string& strLabel, int& nKeys) {
        h.dlg.DeviceCommand(nCode, 0, strLabel + ": ");
        for (int n = 0; n < 100000 && h.session.IsBusy(); ++n) {
            step();
            if (press && h.session.IsBusy()) {
                press();
                ++nKeys;
            }
        }
        EXPECT_FALSE(h.session.IsBusy());
        return h.session.GetTrace();
    }
    Outcome Transfer() {
        Outcome o;
        FillStore(h.session.Store());
        o.strWriteTrace = Run(WR_ALL_PROGS, "wr all programs", o.nKeys);
        h.session.Store().ClearPrograms();
        o.strReadTrace = Run(RD_ALL_PROGS, "rd all programs", o.nKeys);
        o.readBack = h.session.Store();
        return o;
    }
};

// The LEDs the panel shows, one bit each.
uint8_t PanelLeds(FakeView& view) {
    uint8_t by = 0;
    for (int n = 0; n < 8; ++n) {
        if (view.IsShown(kLedStatics[n].nOn))
            by |= static_cast<uint8_t>(1u << n);
    }
    return by;
}

// Keys 1 to 8 in turn, every third press a click on a check box instead.
std::function<void()> KeyPresser(DialogHarness& h, int& nPressed) {
    return [&h, &nPressed] {
        CGlowdeskDlg& dlg = h.dlg;
        FakeView& view = h.view;
        const CPlayer& player = h.session.Player();
        const int nLed = nPressed % 8 + 1;
        const int nCheck = IDC_LED_CHECK_1 + nLed - 1;
        bool bOn;
        if (nPressed % 3 == 2) {
            view.SetCheck(nCheck, !view.GetCheck(nCheck));
            dlg.OnLedClicked(nLed);
            bOn = view.GetCheck(nCheck);
        } else {
            const uint8_t byBefore = player.Leds();
            dlg.OnChar(static_cast<char>('0' + nLed));
            EXPECT_EQ(player.Leds(), byBefore ^ (1u << (nLed - 1)));
            bOn = ((player.Leds() >> (nLed - 1)) & 1) || view.GetCheck(nCheck);
        }
        // The panel shows the change at once.
        EXPECT_EQ(view.IsShown(kLedStatics[nLed - 1].nOn), bOn) << nPressed;
        ++nPressed;
    };
}

void ExpectSame(const Outcome& plain, const Outcome& keys) {
    EXPECT_GT(keys.nKeys, 100);
    EXPECT_EQ(keys.strWriteTrace, plain.strWriteTrace);
    EXPECT_EQ(keys.strReadTrace, plain.strReadTrace);
    EXPECT_TRUE(plain.strReadTrace.ends_with("...finished")) << plain.strReadTrace;
    for (int k = 0; k < kProgCount; ++k) {
        const LightProgram& a = plain.readBack.aProgs[k];
        const LightProgram& b = keys.readBack.aProgs[k];
        EXPECT_EQ(b.Steps, a.Steps) << k;
        EXPECT_STREQ(b.Name, a.Name) << k;
        EXPECT_EQ(b.MixAllowed, a.MixAllowed) << k;
        EXPECT_EQ(std::memcmp(b.Data, a.Data, a.Steps), 0) << k;
    }
    EXPECT_EQ(keys.readBack.RandomLen, plain.readBack.RandomLen);
}

Outcome Emulated(bool bKeys, DialogHarness& h, int& nPressed) {
    h.Start("-p 1 -e 1");
    h.dlg.OnConnect();
    while (h.session.IsBusy())
        h.dlg.OnTimer(kTimerCom);
    TransferRun s{h, [&h] { h.dlg.OnTimer(kTimerCom); }, bKeys ? KeyPresser(h, nPressed) : nullptr};
    return s.Transfer();
}

TEST(LedKeysDuringTransfer, EmulatedHandheldFinishesAsWithoutKeys) {
    int nPressed = 0;
    DialogHarness plainRun;
    const Outcome plain = Emulated(false, plainRun, nPressed);
    DialogHarness keyRun;
    const Outcome keys = Emulated(true, keyRun, nPressed);
    ExpectSame(plain, keys);

    // Nothing went to the Handheld's LEDs during the transfers; after each, the newest
    // state did, once.
    ASSERT_EQ(keyRun.debug.aLines.size(), 2u);
    char szLeds[16];
    std::snprintf(szLeds, sizeof szLeds, "Leds: %02X\r\n", PanelLeds(keyRun.view) | 0u);
    EXPECT_EQ(keyRun.debug.aLines.back(), szLeds);
    // Pressed while idle, a key goes out at once.
    keyRun.dlg.OnChar('8');
    EXPECT_EQ(keyRun.debug.aLines.size(), 3u);
    // What was held went out once: a later operation sends no LED state again.
    keyRun.dlg.DeviceCommand(RD_MIX_LEN, 0, "rd MIX lenght: ");
    while (keyRun.session.IsBusy())
        keyRun.dlg.OnTimer(kTimerCom);
    EXPECT_EQ(keyRun.debug.aLines.size(), 3u);
}

Outcome OverPty(bool bKeys, PtyRig& r, int& nPressed) {
    r.Connect();
    EXPECT_GT(r.RunUntilIdle(), 0);
    TransferRun s{*r.h,
                  [&r] {
                      r.ServePending();
                      if (r.Session().IsBusy())
                          r.WaitForInput();
                      r.Tick();
                  },
                  nullptr};
    if (bKeys) {
        // Now and then a stray LED answer arrives before the awaited reply: it must not
        // be taken for it.
        s.press = [&r, &nPressed, press = KeyPresser(*r.h, nPressed)] {
            if (nPressed % 4 == 0)
                EXPECT_TRUE(r.sim.Send(">3l:0\n"));
            press();
        };
    }
    return s.Transfer();
}

TEST(LedKeysDuringTransfer, SimulatorOverAPseudoTerminalFinishesAsWithoutKeys) {
    int nPressed = 0;
    PtyRig plainRig("-p 1");
    ASSERT_TRUE(plainRig.bOpen);
    const Outcome plain = OverPty(false, plainRig, nPressed);
    PtyRig keyRig("-p 1");
    ASSERT_TRUE(keyRig.bOpen);
    const Outcome keys = OverPty(true, keyRig, nPressed);
    ExpectSame(plain, keys);
    // The held LED state reached the Handheld: every frame written was taken by it.
    keyRig.ServePending();
    EXPECT_EQ(keyRig.sim.FramesReceived() - keyRig.nFramesBase, keyRig.Session().TxCount());
    EXPECT_EQ(keyRig.Session().TxCount(), plainRig.Session().TxCount() + 2);
}

}  // namespace
