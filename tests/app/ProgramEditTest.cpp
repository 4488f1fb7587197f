// The main dialog's side of the program editor: when it opens, the write-back into
// the store and the program box, and the preview on the panel and the line.
#include <gtest/gtest.h>

#include <cstring>

#include "programs/ProgramDraft.h"
#include "tests/programs/ProgramsFixture.h"
#include "tests/support/NullComApi.h"
#include "tests/support/PeerHarness.h"

namespace {

void SetProg(DialogHarness& h, int nIndex, const char* pName,
             std::initializer_list<uint8_t> steps) {
    LightProgram& r = h.session.Store().aProgs[nIndex];
    r = LightProgram{};
    std::strcpy(r.Name, pName);
    for (uint8_t by : steps)
        r.Data[r.Steps++] = by;
    h.dlg.ListProgEntry(nIndex);
}

std::vector<std::string> LFrames(const std::vector<std::string>& aWritten) {
    std::vector<std::string> a;
    for (const std::string& str : aWritten)
        if (str.size() > 2 && str[2] == 'L')
            a.push_back(str);
    return a;
}

}  // namespace

TEST(ProgramEdit, OpensOnProgramsOneToNineWhenNoOperationRuns) {
    PeerHarness t("-p 1");
    SetProg(t.h, 3, "four", {0x0F});
    struct Case {
        int nRow;
        int nExpected;
    };
    for (const Case c :
         {Case{0, 0}, Case{3, 3}, Case{8, 8}, Case{9, -1}, Case{10, -1}, Case{-1, -1}}) {
        SCOPED_TRACE(c.nRow);
        t.h.view.ComboSetSel(IDC_PROGRAM, c.nRow);
        EXPECT_EQ(t.h.dlg.EditableProgram(), c.nExpected);
        EXPECT_EQ(t.h.dlg.CanEditProgram(), c.nExpected >= 0);
        t.h.view.aEditorsShown.clear();
        t.h.dlg.OnEditProgram();
        ASSERT_EQ(t.h.view.aEditorsShown.size(), c.nExpected >= 0 ? 1u : 0u);
        if (c.nExpected >= 0) {
            EXPECT_EQ(t.h.view.aEditorsShown[0].first, c.nExpected);
        }
    }
    t.h.view.ComboSetSel(IDC_PROGRAM, 3);
    t.h.dlg.OnEditProgram();
    EXPECT_STREQ(t.h.view.aEditorsShown.back().second.Name, "four");
    EXPECT_EQ(t.h.view.aEditorsShown.back().second.Steps, 1);

    // A connect waits for the version: no editor meanwhile, and again once it is done.
    t.peer.responder = nullptr;
    t.h.dlg.OnConnect();
    ASSERT_TRUE(t.h.session.IsBusy());
    t.h.view.aEditorsShown.clear();
    EXPECT_FALSE(t.h.dlg.CanEditProgram());
    t.h.dlg.OnEditProgram();
    EXPECT_TRUE(t.h.view.aEditorsShown.empty());
    t.peer.Queue(">8vHH 1.01\n");
    t.peer.responder = [](const std::string& strFrame) {
        return strFrame == ">2JC\n" ? std::string(">3j:0\n") : std::string();
    };
    ASSERT_GT(t.RunUntilIdle(), 0);
    EXPECT_TRUE(t.h.dlg.CanEditProgram());
}

TEST(ProgramEdit, CommitWritesTheStoreAndTheRow) {
    DialogRig rig("-p 1");
    SetProg(rig, 1, "two", {0x01, 0x02});
    rig.view.ComboSetSel(IDC_PROGRAM, 4);

    CProgramDraft d(rig.session.Store().aProgs[1]);
    ASSERT_TRUE(d.Apply(InsertAfterEdit(1)).has_value());
    ASSERT_TRUE(d.Apply(ToggleLedEdit(d, 2, 8)).has_value());
    ASSERT_TRUE(d.Apply(draft::SetName{"Caf\xE9"}).has_value());
    ASSERT_TRUE(d.Apply(draft::SetMix{true}).has_value());
    rig.dlg.CommitProgram(1, d);

    const LightProgram& r = rig.session.Store().aProgs[1];
    EXPECT_EQ(r.Steps, 3);
    EXPECT_EQ(r.Data[2], 0x80);
    EXPECT_STREQ(r.Name, "Caf\xE9");
    EXPECT_EQ(r.MixAllowed, 1);
    const FakeView::Control& box = rig.view.Ctl(IDC_PROGRAM);
    ASSERT_EQ(box.aRows.size(), 11u);
    EXPECT_EQ(box.aRows[1], "Prog 2: \"Caf\xE9\", 3 steps, MixAllowed=1");
    EXPECT_EQ(box.aRows[0], "Prog 1: \"\", 0 step, MixAllowed=0");
    EXPECT_EQ(box.nSel, 4);  // the selection stays where it was

    // Down to one step: the singular row. Out-of-range indexes are ignored.
    CProgramDraft one(r);
    ASSERT_TRUE(one.Apply(draft::ReplaceSteps{{0x42}}).has_value());
    rig.dlg.CommitProgram(1, one);
    EXPECT_EQ(box.aRows[1], "Prog 2: \"Caf\xE9\", 1 step, MixAllowed=1");
    rig.dlg.CommitProgram(9, one);
    rig.dlg.CommitProgram(-1, one);
    EXPECT_EQ(box.aRows[9], "Random");
    EXPECT_EQ(rig.session.Store().aProgs[8].Steps, 0);
}

TEST(ProgramEdit, CommitOfTheProgramBeingPlayedPlaysTheNewSteps) {
    DialogRig rig("-p 1");
    SetProg(rig, 0, "play", {0x01, 0x02, 0x04, 0x08});
    rig.session.Player().StartPlayback(500, 0);
    for (int n = 0; n < 3; ++n)
        rig.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(rig.session.Player().Leds(), 0x04);

    CProgramDraft d(rig.session.Store().aProgs[0]);
    ASSERT_TRUE(d.Apply(draft::ReplaceSteps{{0x10, 0x20}}).has_value());
    rig.dlg.CommitProgram(0, d);
    rig.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(rig.session.Player().Leds(), 0x10);  // the old position was past the new end
    rig.dlg.OnTimer(kTimerPlay);
    rig.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(rig.session.Player().Leds(), 0x10);
}

TEST(ProgramEdit, PreviewPlaysTheStepsOnThePanelAndTheLine) {
    PeerHarness t("-p 1");
    t.ConnectIdle();
    SetProg(t.h, 2, "stored", {0xAA});
    t.h.view.SliderSetPos(IDC_SPEED, 120);
    t.h.dlg.OnChar('3');  // what the panel shows before the preview
    t.peer.aWritten.clear();

    t.h.dlg.StartPreview(2, {0x01, 0x80, 0x3C});
    EXPECT_TRUE(t.h.dlg.IsPreviewing());
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 120);
    EXPECT_TRUE(t.peer.aWritten.empty());  // the first step comes one period later
    for (int n = 1; n <= 4; ++n) {
        t.h.dlg.OnTimer(kTimerPlay);
        EXPECT_EQ(t.h.view.IsShown(IDC_RUNICON), n % 2 == 1);  // blinks as with "run program"
    }
    EXPECT_EQ(LFrames(t.peer.aWritten),
              (std::vector<std::string>{">3L01\n", ">3L80\n", ">3L3C\n", ">3L01\n"}));
    EXPECT_EQ(t.h.view.ShownLeds(), 0x01);
    // The editor is told which step plays.
    EXPECT_EQ(t.h.view.aPreviewSteps,
              (std::vector<std::pair<int, uint8_t>>{{0, 0x01}, {1, 0x80}, {2, 0x3C}, {0, 0x01}}));

    // Edits while it plays are played from the next tick; the slider is followed.
    t.h.view.SliderSetPos(IDC_SPEED, 60);
    t.h.dlg.UpdatePreview({0x01, 0x0F});
    t.peer.aWritten.clear();
    t.h.dlg.OnTimer(kTimerPlay);
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(LFrames(t.peer.aWritten), (std::vector<std::string>{">3L0F\n", ">3L01\n"}));
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 60);

    // Shrinking below the position starts over; nothing at all shows the same byte.
    t.h.dlg.UpdatePreview({0x55});
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(t.h.session.Player().Leds(), 0x55);
    t.h.dlg.UpdatePreview({});
    t.peer.aWritten.clear();
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(LFrames(t.peer.aWritten), std::vector<std::string>{">3L55\n"});

    t.h.dlg.StopPreview();
    EXPECT_FALSE(t.h.dlg.IsPreviewing());
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 0);
    EXPECT_FALSE(t.h.view.IsShown(IDC_RUNICON));
    // The panel and the Handheld are back where they were; the editor's mark goes.
    EXPECT_EQ(t.h.view.ShownLeds(), 0x04);
    EXPECT_EQ(LFrames(t.peer.aWritten).back(), ">3L04\n");
    EXPECT_EQ(t.h.view.aPreviewSteps.back(), (std::pair<int, uint8_t>{-1, 0}));
    EXPECT_EQ(t.h.session.Store().aProgs[2].Steps, 1);
    EXPECT_EQ(t.h.session.Store().aProgs[2].Data[0], 0xAA);
    EXPECT_EQ(t.h.view.GetText(IDC_START), "start");
    t.h.dlg.UpdatePreview({0x01});  // no preview: nothing to update
    EXPECT_FALSE(t.h.dlg.IsPreviewing());
}

TEST(ProgramEdit, PreviewStopsAPlayingProgramAndWaitsForOperations) {
    PeerHarness t("-p 1");
    t.h.session.Player().StartPlayback(500, 9);
    ASSERT_EQ(t.h.view.GetText(IDC_START), "stop");
    t.h.dlg.StartPreview(0, {0x81});
    EXPECT_EQ(t.h.view.GetText(IDC_START), "start");
    EXPECT_EQ(t.Trace(), "start program\r\n...stopped by user");
    t.h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(t.h.session.Player().Leds(), 0x81);
    t.h.dlg.StopPreview();
    t.h.dlg.StartPreview(9, {0x01});  // Random is no program to preview
    EXPECT_FALSE(t.h.dlg.IsPreviewing());

    // While a device operation runs, no preview starts.
    t.peer.responder = nullptr;
    t.h.dlg.OnConnect();
    ASSERT_TRUE(t.h.session.IsBusy());
    t.h.dlg.StartPreview(0, {0x01});
    EXPECT_FALSE(t.h.dlg.IsPreviewing());
    EXPECT_EQ(t.h.view.TimerPeriod(kTimerPlay), 0);
}

namespace {

// What a front end without a window hears of edits and previews.
struct EditReports : SessionListener {
    void OnProgEntryChanged(int nEntry) override { aChanged.push_back(nEntry); }
    void SetPlayTimer(int nPeriodMs) override { nTimer = nPeriodMs; }
    void KillPlayTimer() override { nTimer = 0; }
    void OnShowLeds(uint8_t byValue) override { aShown.push_back(byValue); }
    void OnPlaybackStarted() override { ++nStarted; }

    std::vector<int> aChanged;
    std::vector<uint8_t> aShown;
    int nTimer = 0;
    int nStarted = 0;
};

}  // namespace

TEST(ProgramEdit, ASessionTakesDraftsAndPreviewsWithoutAWindow) {
    RecordingWaiter waiter;
    FixedClock clock;
    NullComApi api;
    CSession session(SessionServices{&api, &waiter, &clock, nullptr});
    EditReports reports;
    session.SetListener(&reports);

    // The draft replaces the record but not where the record lives in the EEPROM.
    LightProgram& r = session.Store().aProgs[4];
    r.Steps = 1;
    r.Data[0] = 0x01;
    r.PosProgData = 0x1234;
    CProgramDraft d(r);
    ASSERT_TRUE(d.Apply(draft::ReplaceSteps{{0x11, 0x22, 0x33}}).has_value());
    EXPECT_TRUE(session.Files().PutDraft(4, d));
    EXPECT_EQ(r.Steps, 3);
    EXPECT_EQ(r.Data[2], 0x33);
    EXPECT_EQ(r.PosProgData, 0x1234);
    EXPECT_EQ(reports.aChanged, std::vector<int>{4});
    // Random, MIX and beyond are no programs: refused and not reported.
    EXPECT_FALSE(session.Files().PutDraft(kEntryRandom, d));
    EXPECT_FALSE(session.Files().PutDraft(-1, d));
    EXPECT_EQ(reports.aChanged, std::vector<int>{4});

    // A preview runs the timer and shows its own steps, with no start report or trace.
    CPlayer& player = session.Player();
    player.StartPreview(250, 4, {0xA0, 0x0A});
    EXPECT_TRUE(player.IsPreviewing());
    EXPECT_EQ(reports.nTimer, 250);
    player.OnPlayTick();
    player.OnPlayTick();
    player.OnPlayTick();
    EXPECT_EQ(reports.aShown, (std::vector<uint8_t>{0xA0, 0x0A, 0xA0}));
    EXPECT_EQ(reports.nStarted, 0);
    EXPECT_EQ(session.GetTrace(), "");

    // Playing a stored program ends the preview: the stored steps play, not the copy's.
    player.StartPlayback(300, 4);
    EXPECT_FALSE(player.IsPreviewing());
    EXPECT_EQ(reports.nStarted, 1);
    reports.aShown.clear();
    player.OnPlayTick();
    player.OnPlayTick();
    EXPECT_EQ(reports.aShown, (std::vector<uint8_t>{0x11, 0x22}));
    player.UpdatePreview({0xFF});  // no preview any more: nothing changes
    player.OnPlayTick();
    EXPECT_EQ(reports.aShown.back(), 0x33);
    player.StopPreview();  // nor does stopping one that does not run stop the playback
    EXPECT_EQ(reports.nTimer, 300);
    // Starting a preview needs a program index.
    player.StopPlayback();
    player.StartPreview(250, kProgCount, {0x01});
    EXPECT_FALSE(player.IsPreviewing());
    EXPECT_EQ(reports.nTimer, 0);
}
