#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/CommandLine.h"
#include "app/GlowdeskDlg.h"
#include "tests/support/DialogHarness.h"

namespace {

const char* const kFilter = "ini-files |*.ini|All Files (*.*) |*.*|";

class CommandMenuTest : public ::testing::Test, public DialogHarness {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("glowdesk-menu-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Init(const std::string& strArgs) { dlg.OnInitDialog(strArgs, dir.string()); }
    void Press(const std::string& strCommand) {
        ASSERT_TRUE(view.SelectCommand(strCommand)) << strCommand;
        dlg.OnStart();
    }
    std::string File(const std::string& strName) { return (dir / strName).string(); }
    void Write(const std::string& strName, const std::string& strText) {
        std::ofstream(File(strName), std::ios::binary) << strText;
    }

    std::filesystem::path dir;
};

TEST_F(CommandMenuTest, SeparatorsAndNoSelectionDoNothing) {
    for (const char* pArgs : {"", "-p 1"}) {
        SCOPED_TRACE(pArgs);
        FakeView fresh;
        view = fresh;
        Init(pArgs);
        const std::string strTrace = session.GetTrace();
        const size_t nTimerCalls = view.aTimerLog.size();
        for (int nRow = 0; nRow < view.ComboCount(IDC_COMMAND); ++nRow) {
            if (view.ComboGetRow(IDC_COMMAND, nRow) != "-------------------------")
                continue;
            view.ComboSetSel(IDC_COMMAND, nRow);
            dlg.OnStart();
        }
        view.ComboSetSel(IDC_COMMAND, -1);
        dlg.OnStart();
        EXPECT_EQ(session.GetTrace(), strTrace);
        EXPECT_EQ(view.aTimerLog.size(), nTimerCalls);
        EXPECT_EQ(view.GetText(IDC_START), "start");
        EXPECT_TRUE(view.aFilters.empty());
    }
}

TEST_F(CommandMenuTest, RunProgramStartsTimerOneAtTheSliderPeriod) {
    Init("");
    view.SliderSetPos(IDC_SPEED, 32);
    Press("run program");
    EXPECT_EQ(view.TimerPeriod(kTimerPlay), 32);
    EXPECT_EQ(view.GetText(IDC_START), "stop");
    EXPECT_EQ(session.GetTrace(), "start program");
    EXPECT_EQ(session.Player().State().CurProg, 0);  // entry 0 is selected after the start-up load
    EXPECT_EQ(session.Player().State().TimerInterval, 32);
}

// The stop branch hands the button back through EndCmd of the command engine.
TEST_F(CommandMenuTest, APressWhilePlayingStops) {
    Init("");
    Press("run program");
    dlg.OnTimer(kTimerPlay);
    Press("load file");  // whatever is selected: the button reads "stop"
    EXPECT_EQ(view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(view.TimerPeriod(kTimerCom), 100);
    EXPECT_EQ(session.GetTrace(), "start program\r\n...stopped by user");
    EXPECT_TRUE(view.aFilters.empty());
    EXPECT_FALSE(view.IsShown(IDC_RUNICON));
    EXPECT_EQ(view.GetText(IDC_START), "start");
}

TEST_F(CommandMenuTest, LoadAndReloadFile) {
    Init("");
    Write("a.ini", "[PROG_1]\r\nName=one\r\nSteps=1\r\nStep_1=00000001\r\n");
    view.qOpenAnswers = {std::nullopt, std::string(), File("a.ini")};
    Press("load file");  // cancelled
    Press("load file");  // confirmed without a name
    EXPECT_EQ(dlg.GetFileName(), "");
    Press("load file");
    EXPECT_EQ(view.aFilters, std::vector<std::string>(3, kFilter));
    EXPECT_EQ(dlg.GetFileName(), File("a.ini"));
    EXPECT_EQ(session.GetTrace(), " 1 programs loaded from " + File("a.ini"));
    EXPECT_STREQ(session.Store().aProgs[0].Name, "one");

    Write("a.ini", "[PROG_1]\r\nName=changed\r\n");
    Press("reload file");
    EXPECT_STREQ(session.Store().aProgs[0].Name, "changed");
    EXPECT_EQ(session.GetTrace(), " 0 programs loaded from " + File("a.ini"));
}

TEST_F(CommandMenuTest, StoreToFileOnlyInProgrammingMode) {
    Init("");
    EXPECT_FALSE(view.SelectCommand("store to file"));

    FakeView fresh;
    view = fresh;
    Init("-p 1");
    session.Store().aProgs[1].Steps = 1;
    view.qSaveAnswers = {std::nullopt, File("saved")};
    Press("store to file");
    EXPECT_FALSE(std::filesystem::exists(File("saved.ini")));
    Press("store to file");  // a name without extension gets the one the open dialog shows
    EXPECT_EQ(view.aFilters, std::vector<std::string>(2, kFilter));
    EXPECT_FALSE(std::filesystem::exists(File("saved")));
    EXPECT_TRUE(std::filesystem::exists(File("saved.ini")));
    EXPECT_EQ(dlg.GetFileName(), "");  // the file-name box keeps what was loaded

    view.qOpenAnswers = {File("saved.ini")};
    Press("load file");
    EXPECT_EQ(session.Store().aProgs[1].Steps, 1);
}

TEST_F(CommandMenuTest, DeviceCommandsGetTheirRowLabel) {
    Init("-p 1");
    for (const char* pLabel :
         {"read version", "jmp to CFG mode", "jmp normal mode", "rd static info", "rd sel. program",
          "wr sel. program", "rd all programs", "wr all programs", "rd MIX lenght",
          "wr MIX lenght"}) {
        Press(pLabel);
        EXPECT_EQ(session.GetTrace(), std::string(pLabel) + ":  --> COM port not opened");
    }
    EXPECT_EQ(view.TimerPeriod(kTimerPlay), 0);
    EXPECT_EQ(view.GetText(IDC_START), "start");
}

}  // namespace
