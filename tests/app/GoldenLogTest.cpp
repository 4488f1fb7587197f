// Whole sessions against the emulated Handheld, compared call by call with the window
// calls recorded in tests/app/golden/: what the user sees, and in which order, must not
// change when the code behind the window is rearranged. GLOWDESK_RECORD_GOLDEN=1
// writes the files anew instead of comparing. The logs hold POSIX paths, so they are
// compared where they were recorded, not on Windows.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/DialogHarness.h"

namespace {

namespace fs = std::filesystem;

std::string SourceDir() {
    const char* p = std::getenv("GLOWDESK_SOURCE_DIR");
    return p != nullptr ? p : ".";
}

void ReplaceAll(std::string& str, const std::string& strFrom, const std::string& strTo) {
    for (size_t n = str.find(strFrom); n != std::string::npos;
         n = str.find(strFrom, n + strTo.size()))
        str.replace(n, strFrom.size(), strTo);
}

struct GoldenRun {
    explicit GoldenRun(const std::string& strArgs, const std::string& strDir = "/nonexistent-dir")
        : strTmp((fs::temp_directory_path() / ("glowdesk-golden-" + std::to_string(getpid())))
                     .string()) {
        fs::create_directories(strTmp);
        h.view.bLogCalls = true;
        h.Start(strArgs, strDir);
    }
    ~GoldenRun() {
        std::error_code ec;
        fs::remove_all(strTmp, ec);
    }

    void Command(const std::string& strLabel) {
        ASSERT_TRUE(h.view.SelectCommand(strLabel)) << strLabel;
        h.dlg.OnStart();
    }
    // Timer 2 until the running operation ends; false when it does not within nLimit.
    bool RunUntilIdle(int nLimit = 20000) {
        for (int n = 0; n < nLimit && h.session.IsBusy(); ++n)
            h.dlg.OnTimer(kTimerCom);
        return !h.session.IsBusy();
    }
    void Connect() {
        h.dlg.OnConnect();
        ASSERT_TRUE(RunUntilIdle());
    }

    // The log with the machine's folders replaced by fixed names.
    std::string Log() const {
        std::string str;
        for (const std::string& strLine : h.view.aCalls)
            str += strLine + "\n";
        ReplaceAll(str, strTmp, "<tmp>");
        ReplaceAll(str, SourceDir(), "<src>");
        return str;
    }

    void Check(const std::string& strName) const {
        const fs::path path = fs::path(SourceDir()) / "tests/app/golden" / (strName + ".txt");
        const std::string strLog = Log();
        if (std::getenv("GLOWDESK_RECORD_GOLDEN") != nullptr) {
            std::ofstream(path, std::ios::binary) << strLog;
            return;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in.good()) << path;
        std::stringstream ss;
        ss << in.rdbuf();
        EXPECT_EQ(ss.str(), strLog) << strName;
    }

    std::string strTmp;
    DialogHarness h;
};

TEST(GoldenLog, StartUpInEachMode) {
    const std::pair<const char*, const char*> aCases[] = {
        {"startup_normal", ""},
        {"startup_emulation", "-e 1"},
        {"startup_programmer", "-p 1"},
        {"startup_programmer_emulation_trace_icons", "-p 1 -e 1 -t 1 -s 1"},
    };
    for (const auto& [pName, pArgs] : aCases) {
        SCOPED_TRACE(pName);
        GoldenRun r(pArgs);
        r.Check(pName);
    }
}

TEST(GoldenLog, ConnectInProgrammingModeAndLedKeys) {
    GoldenRun r("-p 1 -e 1");
    r.Connect();
    r.h.dlg.OnChar('3');
    r.h.dlg.OnChar('8');
    r.h.view.Ctl(IDC_LED_CHECK_1 + 1).bChecked = true;
    r.h.dlg.OnLedClicked(2);
    r.h.dlg.OnTimer(kTimerCom);
    r.h.dlg.OnConnect();
    r.Check("connect_programmer");
}

TEST(GoldenLog, ReadAllPrograms) {
    GoldenRun r("-p 1 -e 1");
    r.Connect();
    r.Command("rd all programs");
    ASSERT_TRUE(r.RunUntilIdle());
    r.Check("rd_all_programs");
}

TEST(GoldenLog, WriteAllProgramsTraced) {
    GoldenRun r("-p 1 -e 1 -t 1 -f demo.ini", SourceDir() + "/examples/");
    r.Connect();
    r.Command("wr all programs");
    ASSERT_TRUE(r.RunUntilIdle());
    r.Command("rd MIX lenght");
    ASSERT_TRUE(r.RunUntilIdle());
    r.Check("wr_all_programs_traced");
}

TEST(GoldenLog, TransferThatTimesOut) {
    // In normal mode the Handheld answers no info request.
    GoldenRun r("-p 1 -e 1");
    r.Connect();
    r.Command("jmp normal mode");
    ASSERT_TRUE(r.RunUntilIdle());
    r.Command("rd static info");
    ASSERT_TRUE(r.RunUntilIdle());
    r.Check("timeout");
}

TEST(GoldenLog, FortyTicksOfMix) {
    GoldenRun r("-e 1 -f demo.ini", SourceDir() + "/examples/");
    r.Connect();
    r.h.view.Ctl(IDC_PROGRAM).nSel = kEntryMix;
    r.Command("run program");
    for (int n = 0; n < 40; ++n)
        r.h.dlg.OnTimer(kTimerPlay);
    r.h.view.Ctl(IDC_SPEED).nPos = 100;
    r.h.dlg.OnTimer(kTimerPlay);
    r.h.dlg.OnTimer(kTimerCom);
    r.Command("run program");
    r.Check("mix_playback");
}

TEST(GoldenLog, LoadStoreAndReloadAFile) {
    GoldenRun r("-p 1");
    r.h.view.qOpenAnswers.push_back(SourceDir() + "/examples/demo.ini");
    r.Command("load file");
    r.h.view.qSaveAnswers.push_back(r.strTmp + "/stored.ini");
    r.Command("store to file");
    r.h.view.qSaveAnswers.push_back(r.strTmp + "/no-such-folder/stored.ini");
    r.Command("store to file");
    r.h.view.qOpenAnswers.push_back(r.strTmp + "/stored.ini");
    r.Command("load file");
    r.Command("reload file");
    r.h.view.qOpenAnswers.push_back(std::nullopt);
    r.Command("load file");
    r.Check("load_store");
}

}  // namespace
#endif
