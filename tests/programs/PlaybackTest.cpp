#include <gtest/gtest.h>

#include <cstring>

#include "tests/programs/ProgramsFixture.h"

namespace {

class PlaybackTest : public ::testing::Test {
protected:
    void SetProg(int nProg, const char* pName, std::initializer_list<uint8_t> steps, bool bMix) {
        LightProgram& r = rig.session.Store().aProgs[nProg - 1];
        r = LightProgram{};
        std::strcpy(r.Name, pName);
        r.MixAllowed = bMix ? 1 : 0;
        for (uint8_t by : steps)
            r.Data[r.Steps++] = by;
    }
    void Start(int nRow) {
        for (int n = 0; n < 11; ++n)
            rig.dlg.ListProgEntry(n);
        rig.session.Player().StartPlayback(rig.view.SliderGetPos(IDC_SPEED), nRow);
    }
    // One tick of timer 1, as the window delivers it.
    void Tick() {
        ASSERT_GT(rig.view.TimerPeriod(kTimerPlay), 0) << "timer 1 is not running";
        rig.dlg.OnTimer(kTimerPlay);
    }

    DialogRig rig;
};

TEST_F(PlaybackTest, AProgramLoopsOverItsStepsOnePerTick) {
    SetProg(3, "three", {0x01, 0x18, 0x80}, false);
    rig.session.ShowLeds(0x55, false);  // whatever was shown before stays until the first tick
    Start(2);
    EXPECT_EQ(rig.view.TimerPeriod(kTimerPlay), 500);
    EXPECT_EQ(rig.view.GetText(IDC_START), "stop");
    EXPECT_EQ(rig.session.GetTrace(), "start program");
    EXPECT_EQ(rig.view.ShownLeds(), 0x55);
    for (int nExpected : {0x01, 0x18, 0x80, 0x01, 0x18}) {
        Tick();
        EXPECT_EQ(rig.session.Player().Leds(), nExpected);
        EXPECT_EQ(rig.view.ShownLeds(), nExpected);
    }
    EXPECT_EQ(rig.session.GetTrace(), "start program");
}

TEST_F(PlaybackTest, MixPlaysEachAllowedProgramOnceThenRandom) {
    SetProg(2, "two", {0x03, 0x0C}, true);
    SetProg(5, "five", {0xF0}, true);
    SetProg(3, "never", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false);
    rig.session.Store().RandomLen = 3;
    Start(10);
    EXPECT_EQ(rig.session.GetTrace(), "start program");  // the switch line was replaced at once

    CRand expectRand;
    expectRand.Seed(rig.clock.nSeconds);
    uint8_t byRandom = 0;
    const auto NextRandom = [&] {
        byRandom ^= static_cast<uint8_t>(expectRand.Next() / 13);
        return byRandom;
    };
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x03);
    EXPECT_EQ(rig.session.GetTrace(), "start program");
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x0C);
    EXPECT_EQ(rig.session.GetTrace(), "switch to: Prog5 (five)");
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0xF0);
    EXPECT_EQ(rig.session.GetTrace(), "switch to: Prog10 (Random)");
    byRandom = 0xF0;  // Random changes the last step shown
    for (int n = 1; n <= 4; ++n) {
        Tick();
        EXPECT_EQ(rig.session.Player().Leds(), NextRandom());
        EXPECT_EQ(rig.session.GetTrace(),
                  n < 4 ? "switch to: Prog10 (Random)" : "switch to: Prog2 (two)");
    }
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x03);
}

TEST_F(PlaybackTest, MixWithNothingAllowedPlaysRandomOnly) {
    SetProg(1, "solo", {0x01, 0x02, 0x03, 0x04, 0x05}, false);
    rig.session.Store().RandomLen = 0;
    Start(10);
    CRand expectRand;
    expectRand.Seed(rig.clock.nSeconds);
    uint8_t byExpected = 0;
    for (int n = 0; n < 5; ++n) {
        rig.session.Trace().SetTrace("", false);
        Tick();
        byExpected ^= static_cast<uint8_t>(expectRand.Next() / 13);
        EXPECT_EQ(rig.session.Player().Leds(), byExpected);
        EXPECT_EQ(rig.session.GetTrace(), "switch to: Prog10 (Random)");
    }
}

TEST_F(PlaybackTest, NoSelectionPlaysMix) {
    SetProg(4, "four", {0x08}, true);
    Start(-1);
    EXPECT_EQ(rig.session.Player().State().CurProg, 10);
    EXPECT_EQ(rig.session.Player().State().MixProg, 3);
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x08);
}

TEST_F(PlaybackTest, TheSliderSetsThePeriodFromTheNextTickOn) {
    SetProg(1, "one", {0x01}, false);
    Start(0);
    Tick();
    const size_t nLogged = rig.view.aTimerLog.size();
    Tick();
    EXPECT_EQ(rig.view.aTimerLog.size(), nLogged);  // unchanged slider: no re-arming
    rig.view.SliderSetPos(IDC_SPEED, 32);
    Tick();
    EXPECT_EQ(rig.view.TimerPeriod(kTimerPlay), 32);
    Tick();  // re-armed on every tick from now on
    EXPECT_EQ(rig.view.aTimerLog.size(), nLogged + 4);
    rig.view.SliderSetPos(IDC_SPEED, 5000);
    Tick();
    EXPECT_EQ(rig.view.TimerPeriod(kTimerPlay), 5000);
}

TEST_F(PlaybackTest, RunIconBlinksWithTheTicksAndHidesAtStop) {
    SetProg(1, "one", {0x01}, false);
    Start(0);
    EXPECT_FALSE(rig.view.IsShown(IDC_RUNICON));
    Tick();
    EXPECT_TRUE(rig.view.IsShown(IDC_RUNICON));
    Tick();
    EXPECT_FALSE(rig.view.IsShown(IDC_RUNICON));
    Tick();
    rig.session.Player().StopPlayback();
    EXPECT_FALSE(rig.view.IsShown(IDC_RUNICON));
    EXPECT_EQ(rig.view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(rig.session.GetTrace(), "start program\r\n...stopped by user");
    EXPECT_EQ(rig.view.ShownLeds(), 0x01);

    rig.view.Remove(IDC_RUNICON);  // a missing icon is skipped
    Start(0);
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x01);
}

TEST_F(PlaybackTest, AnEmptyProgramKeepsTheLastByte) {
    rig.dlg.OnChar('3');
    Start(6);
    Tick();
    Tick();
    EXPECT_EQ(rig.session.Player().Leds(), 0x04);
}

TEST(Rand, GivesTheRuntimeSequence) {
    CRand rand;  // the runtime's state before any seed is 1
    for (int nExpected : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(rand.Next(), nExpected);
    rand.Seed(1);
    EXPECT_EQ(rand.Next(), 41);
}

TEST_F(PlaybackTest, RandomStepsDrawFromTheProgramWideGeneratorSeededAtTheStart) {
    Start(kEntryRandom);
    CRand expected;
    expected.Seed(rig.clock.nSeconds);
    uint8_t byLeds = 0;
    for (int n = 0; n < 3; ++n) {
        Tick();
        byLeds ^= static_cast<uint8_t>(expected.Next() / 13);
        EXPECT_EQ(rig.session.Player().Leds(), byLeds);
    }
    // Whoever draws next (the about box) goes on with the same sequence.
    EXPECT_EQ(rig.dlg.Rand().Next(), expected.Next());
}

}  // namespace
