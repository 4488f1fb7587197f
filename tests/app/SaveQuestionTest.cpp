// Unsaved work in the window's logic: the question before it is lost and its three
// answers, the mark in the title, and the drop of a file.
#include <gtest/gtest.h>

#include <filesystem>

#include "programs/ProgramDraft.h"
#include "tests/programs/ProgramsFixture.h"

namespace {

struct SaveQuestion : ::testing::Test {
    SaveQuestion() {
        WriteBytes(rig.folder.File("a.ini"),
                   "[PROG_1]\r\nName=one\r\nSteps=1\r\nStep_1=10000001\r\n");
        rig.session.LoadProgFile("a.ini");
        strTitle = rig.view.strTitle;
    }
    // An inserted step, committed with OK as the editor does.
    void Edit() {
        CProgramDraft draft(rig.session.Store().aProgs[0]);
        draft.Apply(draft::InsertStep{0, 0x18});
        rig.dlg.CommitProgram(0, draft);
    }
    void Press(const std::string& strCommand) {
        ASSERT_TRUE(rig.view.SelectCommand(strCommand)) << strCommand;
        rig.dlg.OnStart();
    }
    bool RunUntilIdle() {
        for (int n = 0; n < 20000 && rig.session.IsBusy(); ++n)
            rig.dlg.OnTimer(kTimerCom);
        return !rig.session.IsBusy();
    }
    size_t Questions() const { return rig.view.aSaveQuestions.size(); }

    DialogRig rig{"-p 1 -e 1"};
    std::string strTitle;
};

TEST_F(SaveQuestion, OnlyEditedWorkAsksAndEachAnswerDoesWhatItSays) {
    EXPECT_TRUE(rig.dlg.QueryClose()) << "loaded programs close at once";
    EXPECT_EQ(Questions(), 0u);

    Edit();
    EXPECT_EQ(rig.view.strTitle, "*" + strTitle);
    // Cancel: the window stays and the change with it.
    rig.view.qSaveQuestionAnswers = {SaveAnswer::Cancel};
    EXPECT_FALSE(rig.dlg.QueryClose());
    EXPECT_EQ(Questions(), 1u);
    EXPECT_EQ(rig.session.Store().aProgs[0].Steps, 2);
    // Save into a file that cannot be written: the window stays, the mark too.
    std::filesystem::create_directory(rig.folder.File("a.ini.d"));
    rig.view.qSaveQuestionAnswers = {SaveAnswer::Save};
    rig.dlg.SetFileName(rig.folder.File("a.ini.d"));
    EXPECT_FALSE(rig.dlg.QueryClose());
    EXPECT_EQ(rig.view.aMessages.size(), 1u);
    EXPECT_EQ(rig.view.strTitle, "*" + strTitle);
    // Save into the current file: stored, the mark goes, the window may close.
    rig.dlg.SetFileName(rig.folder.File("a.ini"));
    rig.view.qSaveQuestionAnswers = {SaveAnswer::Save};
    EXPECT_TRUE(rig.dlg.QueryClose());
    EXPECT_EQ(rig.view.strTitle, strTitle);
    rig.session.LoadProgFile("a.ini");
    EXPECT_EQ(rig.session.Store().aProgs[0].Steps, 2);
    // Discard: closes without storing.
    Edit();
    rig.view.qSaveQuestionAnswers = {SaveAnswer::Discard};
    EXPECT_TRUE(rig.dlg.QueryClose());
    EXPECT_EQ(Questions(), 4u);
    rig.session.LoadProgFile("a.ini");
    EXPECT_EQ(rig.session.Store().aProgs[0].Steps, 2);
}

TEST_F(SaveQuestion, LoadsReadsAndDropsAskFirstAndWritesKeepTheWork) {
    rig.dlg.OnConnect();
    ASSERT_TRUE(RunUntilIdle());
    Edit();
    // Cancelled: no file dialog, nothing read, nothing dropped in.
    for (const char* pCommand : {"load file", "reload file", "rd all programs"}) {
        Press(pCommand);
        EXPECT_FALSE(rig.session.IsBusy()) << pCommand;
    }
    rig.dlg.OnDropFiles({rig.folder.File("a.ini")});
    EXPECT_EQ(Questions(), 4u);
    EXPECT_TRUE(rig.view.aFilters.empty());
    EXPECT_EQ(rig.session.Store().aProgs[0].Steps, 2);
    // Reading another program than the edited one loses nothing.
    rig.view.ComboSetSel(IDC_PROGRAM, 1);
    Press("rd sel. program");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Questions(), 4u);

    // Written to the Handheld, the work is kept there: no question any more.
    rig.view.ComboSetSel(IDC_PROGRAM, 0);
    Press("wr sel. program");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(rig.view.strTitle, strTitle);
    EXPECT_TRUE(rig.dlg.QueryClose());
    EXPECT_EQ(Questions(), 4u);

    // A drop of one program file loads it; anything else is refused as unreadable and
    // the store stays.
    Edit();
    rig.view.qSaveQuestionAnswers = {SaveAnswer::Discard};
    rig.dlg.OnDropFiles({rig.folder.File("a.ini")});
    EXPECT_EQ(rig.session.Store().aProgs[0].Steps, 1);
    EXPECT_EQ(rig.dlg.GetFileName(), rig.folder.File("a.ini"));
    for (const std::vector<std::string>& aDrop :
         {std::vector<std::string>{rig.folder.File("notes.txt")},
          std::vector<std::string>{rig.folder.File("a.ini"), rig.folder.File("a.ini")}}) {
        rig.dlg.OnDropFiles(aDrop);
        EXPECT_TRUE(rig.session.GetTrace().ends_with("\r\n --> the file cannot be read"))
            << rig.session.GetTrace();
        EXPECT_EQ(rig.dlg.GetFileName(), rig.folder.File("a.ini"));
    }
    EXPECT_EQ(Questions(), 5u);
}

}  // namespace
