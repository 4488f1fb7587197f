#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "tests/support/DialogHarness.h"

namespace {

#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif

struct TitleCase {
    const char* szArgs;
    const char* szTitle;
    int nRows;
};

class StartupTitle : public testing::TestWithParam<TitleCase> {};

TEST_P(StartupTitle, TitleAndCommandListFollowTheModes) {
    DialogHarness h;
    h.Start(GetParam().szArgs);
    EXPECT_EQ(h.view.GetTitle(), GetParam().szTitle);
    EXPECT_EQ(h.view.ComboCount(IDC_COMMAND), GetParam().nRows);
    EXPECT_EQ(h.view.ComboGetSel(IDC_COMMAND), 0);
    EXPECT_EQ(h.view.GetText(IDC_COMMAND), "run program");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, StartupTitle,
    testing::Values(TitleCase{"", "Glowdesk", 6}, TitleCase{"-e 1", "Glowdesk", 6},
                    TitleCase{"-p 1", "Glowdesk Programmer", 20},
                    TitleCase{"-p 1 -e 1 -t 1", "Glowdesk Programmer (EMU)", 20}));

TEST(Startup, ListsTheCommandsInOrder) {
    DialogHarness h;
    h.Start("-p 1");
    const auto& aRows = h.view.Ctl(IDC_COMMAND).aRows;
    ASSERT_EQ(aRows.size(), 20u);
    EXPECT_EQ(aRows[4], "store to file");
    EXPECT_EQ(aRows[5], "-------------------------");
    EXPECT_EQ(aRows[18], "rd MIX lenght");
    EXPECT_EQ(aRows[19], "wr MIX lenght");

    DialogHarness n;
    n.Start("");
    const auto& aNormal = n.view.Ctl(IDC_COMMAND).aRows;
    EXPECT_EQ(aNormal, (std::vector<std::string>{"run program", "-------------------------",
                                                 "load file", "reload file",
                                                 "-------------------------", "read version"}));
}

TEST(Startup, InitialStateOfTheWindow) {
    DialogHarness h;
    h.Start("-t 1");
    EXPECT_TRUE(h.session.Options().bTrace);
    EXPECT_FALSE(h.session.Options().bProgMode);
    EXPECT_EQ(h.view.nWindowIcon, IDR_MAINFRAME);
    EXPECT_EQ(h.view.Ctl(IDC_SPEED).nMin, 32);
    EXPECT_EQ(h.view.Ctl(IDC_SPEED).nMax, 5000);
    EXPECT_EQ(h.view.SliderGetPos(IDC_SPEED), 500);
    EXPECT_EQ(h.view.GetText(IDC_RXCOUNT), "Rx: 0");
    EXPECT_EQ(h.view.GetText(IDC_TXCOUNT), "Tx: 0");
    EXPECT_EQ(h.view.TimerPeriod(kTimerCom), 100);
    EXPECT_EQ(h.view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(h.session.Player().Leds(), 0);
    EXPECT_FALSE(h.view.IsShown(IDC_RUNICON));
    // No ports on this machine: the port box stays empty with nothing selected.
    EXPECT_EQ(h.view.ComboCount(IDC_COMPORT), 0);
    EXPECT_EQ(h.view.ComboGetSel(IDC_COMPORT), -1);
}

TEST(Startup, IconSetFollowsTheSwitch) {
    for (bool bAlt : {false, true}) {
        DialogHarness h;
        h.Start(bAlt ? "-s 1" : "");
        EXPECT_EQ(h.view.Ctl(IDC_RUNICON).nIcon, bAlt ? IDI_RUN_SMILE : IDI_RUN_GREEN);
        for (const LedStatics& led : kLedStatics) {
            EXPECT_EQ(h.view.Ctl(led.nOn).nIcon, bAlt ? IDI_LED_SMILE : IDI_LED_ON);
            EXPECT_EQ(h.view.Ctl(led.nOff).nIcon, IDI_LED_OFF);
        }
    }
}

TEST(Startup, MissingControlsAreSkipped) {
    DialogHarness h;
    h.view.Remove(IDC_RUNICON);
    h.view.Remove(IDC_COMMAND);
    h.view.Remove(kLedStatics[3].nOn);
    h.Start("-p 1");
    EXPECT_FALSE(h.view.HasControl(IDC_COMMAND));
    EXPECT_EQ(h.view.GetTitle(), "Glowdesk Programmer");
}

TEST(Startup, EmulationOffersAPortOnAMachineWithoutPorts) {
    DialogHarness h;
    h.Start("-e 1");
    EXPECT_EQ(h.view.Ctl(IDC_COMPORT).aRows, std::vector<std::string>{"COM1"});
    EXPECT_EQ(h.view.ComboGetSel(IDC_COMPORT), 0);
    h.dlg.OnConnect();
    EXPECT_EQ(h.view.GetText(IDC_CONNECT), "disconnect");
    EXPECT_EQ(h.session.GetTrace().rfind("Open Com Port:ComEmu, 57600 Baud", 0), 0u);
}

TEST(Startup, StartDirectoryEndsInTheSeparator) {
    DialogHarness h;
    h.Start("", "/some/where");
    EXPECT_EQ(h.session.Ini().StartDir(), "/some/where" + kSep);
}

TEST(Startup, StartupFileNameIsResolvedAgainstTheStartDirectory) {
    DialogHarness h;
    h.Start("-f demo.ini", "/data/progs");
    EXPECT_EQ(h.view.GetText(IDC_FILENAME), "/data/progs" + kSep + "demo.ini");

    DialogHarness r;
    r.Start("-f ./demo.ini", "/data/progs");
    EXPECT_EQ(r.view.GetText(IDC_FILENAME), "./demo.ini");
}

TEST(Startup, DestroyStopsBothTimers) {
    DialogHarness h;
    h.Start("");
    h.view.SetTimer(kTimerPlay, 500);
    h.dlg.OnDestroy();
    EXPECT_TRUE(h.view.timers.empty());
}

TEST(Startup, AboutEntryOpensTheAboutBox) {
    DialogHarness h;
    h.Start("");
    h.dlg.OnSysCommand(IDM_ABOUTBOX);
    h.dlg.OnSysCommand(IDM_ABOUTBOX | 0x3);  // low four bits are ignored
    h.dlg.OnSysCommand(0xF060);
    EXPECT_EQ(h.view.nAboutShown, 2);
}

}  // namespace
