// The editor's working copy of a program: every edit, its reversal, the limits and
// the write-back into a record.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "programs/ProgramDraft.h"

namespace {

LightProgram Record(const char* pName, std::initializer_list<uint8_t> steps, bool bMix) {
    LightProgram r;
    std::strncpy(r.Name, pName, kNameSize - 1);
    r.MixAllowed = bMix ? 1 : 0;
    for (uint8_t by : steps)
        r.Data[r.Steps++] = by;
    r.PosProgLen = 0x10;
    r.PosProgName = 0x12;
    r.PosProgData = 0x20;
    return r;
}

LightProgram RecordWithSteps(int nSteps) {
    LightProgram r = Record("long", {}, false);
    for (int k = 0; k < nSteps; ++k)
        r.Data[k] = static_cast<uint8_t>(k);
    r.Steps = static_cast<uint16_t>(nSteps);
    return r;
}

struct Snapshot {
    std::vector<uint8_t> aSteps;
    std::string strName;
    bool bMix;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Snap(const CProgramDraft& d) {
    return {d.Steps(), d.Name(), d.MixAllowed()};
}

}  // namespace

TEST(ProgramDraft, StartsAsACopyOfTheRecord) {
    const CProgramDraft d(Record("chase", {0x81, 0x42}, true));
    EXPECT_EQ(d.Steps(), (std::vector<uint8_t>{0x81, 0x42}));
    EXPECT_EQ(d.Name(), "chase");
    EXPECT_TRUE(d.MixAllowed());
    EXPECT_EQ(d.MaxSteps(), 896);
    EXPECT_FALSE(d.IsChanged());
    // LED 8 is bit 7, LED 1 bit 0.
    EXPECT_TRUE(d.IsLit(0, 8));
    EXPECT_TRUE(d.IsLit(0, 1));
    EXPECT_FALSE(d.IsLit(0, 2));
    EXPECT_TRUE(d.IsLit(1, 7));
    EXPECT_FALSE(d.IsLit(5, 1));  // no such step
    EXPECT_EQ(d.Step(-1), 0);

    // A name that fills all 13 bytes keeps its first 12.
    LightProgram r = Record("", {}, false);
    std::memset(r.Name, 'x', sizeof r.Name);
    EXPECT_EQ(CProgramDraft(r).Name(), std::string(12, 'x'));
}

TEST(ProgramDraft, EveryEditAndItsReversal) {
    struct Case {
        const char* pWhat;
        DraftEdit edit;
        Snapshot after;
    };
    const LightProgram start = Record("abc", {0x01, 0x02, 0x04}, false);
    const Case aCases[] = {
        {"set a step", draft::SetStep{1, 0xF0}, {{0x01, 0xF0, 0x04}, "abc", false}},
        {"insert at the start",
         draft::InsertStep{0, 0x55},
         {{0x55, 0x01, 0x02, 0x04}, "abc", false}},
        {"insert in the middle",
         draft::InsertStep{2, 0x55},
         {{0x01, 0x02, 0x55, 0x04}, "abc", false}},
        {"insert at the end", draft::InsertStep{3, 0x55}, {{0x01, 0x02, 0x04, 0x55}, "abc", false}},
        {"remove the first", draft::RemoveStep{0}, {{0x02, 0x04}, "abc", false}},
        {"remove the last", draft::RemoveStep{2}, {{0x01, 0x02}, "abc", false}},
        {"swap", draft::SwapSteps{1}, {{0x01, 0x04, 0x02}, "abc", false}},
        {"name", draft::SetName{"Sp\xE4t \x80"}, {{0x01, 0x02, 0x04}, "Sp\xE4t \x80", false}},
        {"empty name", draft::SetName{""}, {{0x01, 0x02, 0x04}, "", false}},
        {"mix on", draft::SetMix{true}, {{0x01, 0x02, 0x04}, "abc", true}},
        {"mix unchanged", draft::SetMix{false}, {{0x01, 0x02, 0x04}, "abc", false}},
        {"replace", draft::ReplaceSteps{{0xFF, 0x00}}, {{0xFF, 0x00}, "abc", false}},
        {"replace by nothing", draft::ReplaceSteps{{}}, {{}, "abc", false}},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pWhat);
        CProgramDraft d(start);
        const Snapshot before = Snap(d);
        ASSERT_TRUE(d.CanApply(c.edit));
        const std::optional<DraftEdit> undo = d.Apply(c.edit);
        ASSERT_TRUE(undo.has_value());
        EXPECT_EQ(Snap(d), c.after);
        EXPECT_EQ(d.IsChanged(), !(c.after == before));

        const std::optional<DraftEdit> redo = d.Apply(*undo);
        ASSERT_TRUE(redo.has_value());
        EXPECT_EQ(Snap(d), before);
        EXPECT_FALSE(d.IsChanged());
        ASSERT_TRUE(d.Apply(*redo).has_value());
        EXPECT_EQ(Snap(d), c.after);
    }
}

TEST(ProgramDraft, EditsBeyondTheLimitsChangeNothing) {
    struct Case {
        const char* pWhat;
        int nSteps;
        DraftEdit edit;
    };
    const Case aCases[] = {
        {"set past the end", 3, draft::SetStep{3, 1}},
        {"set before the start", 3, draft::SetStep{-1, 1}},
        {"insert past the end", 3, draft::InsertStep{4, 1}},
        {"insert beyond 896 steps", 896, draft::InsertStep{0, 1}},
        {"remove from nothing", 0, draft::RemoveStep{0}},
        {"remove past the end", 3, draft::RemoveStep{3}},
        {"swap the last with nothing", 3, draft::SwapSteps{2}},
        {"swap before the start", 3, draft::SwapSteps{-1}},
        {"replace by 897 steps", 3, draft::ReplaceSteps{std::vector<uint8_t>(897, 1)}},
        {"13 characters", 3, draft::SetName{"abcdefghijklm"}},
        {"a line break", 3, draft::SetName{"a\r\nb"}},
        {"a tab", 3, draft::SetName{"a\tb"}},
        {"a NUL", 3, draft::SetName{std::string("a\0b", 3)}},
        {"DEL", 3, draft::SetName{"a\x7F"}},
        {"unassigned 0x81", 3, draft::SetName{"a\x81"}},
        {"unassigned 0x9D", 3, draft::SetName{"\x9D"}},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pWhat);
        CProgramDraft d(RecordWithSteps(c.nSteps));
        const Snapshot before = Snap(d);
        EXPECT_FALSE(d.CanApply(c.edit));
        EXPECT_FALSE(d.Apply(c.edit).has_value());
        EXPECT_EQ(Snap(d), before);
    }
    // The edges themselves are allowed.
    CProgramDraft d(RecordWithSteps(895));
    EXPECT_TRUE(d.CanAddStep());
    EXPECT_TRUE(d.Apply(draft::InsertStep{895, 7}).has_value());
    EXPECT_FALSE(d.CanAddStep());
    EXPECT_TRUE(d.Apply(draft::ReplaceSteps{std::vector<uint8_t>(896, 1)}).has_value());
    EXPECT_TRUE(d.Apply(draft::SetName{"abcdefghijkl"}).has_value());
    EXPECT_TRUE(d.Apply(draft::SetName{"\x80\x8A\x9F\xA0\xFF"}).has_value());
}

// A record read from the Handheld may hold more steps than a file, or a name the
// editor would not let one type: the draft keeps them, and undo can bring them back.
TEST(ProgramDraft, WhatTheRecordHadIsAlwaysAllowedBack) {
    CProgramDraft d(RecordWithSteps(897));
    EXPECT_EQ(d.StepCount(), 897);
    EXPECT_EQ(d.MaxSteps(), 897);
    EXPECT_FALSE(d.CanAddStep());
    const Snapshot before = Snap(d);
    std::optional<DraftEdit> undo = d.Apply(draft::RemoveStep{10});
    ASSERT_TRUE(undo.has_value());
    EXPECT_TRUE(d.CanAddStep());
    ASSERT_TRUE(d.Apply(*undo).has_value());
    EXPECT_EQ(Snap(d), before);
    undo = d.Apply(draft::ReplaceSteps{{1, 2}});
    ASSERT_TRUE(undo.has_value());
    ASSERT_TRUE(d.Apply(*undo).has_value());
    EXPECT_EQ(Snap(d), before);

    // Steps past the record's room are never taken.
    LightProgram r = RecordWithSteps(0);
    r.Steps = 5000;
    EXPECT_EQ(CProgramDraft(r).StepCount(), kDataSize);

    CProgramDraft named(Record("a\tb", {}, false));
    undo = named.Apply(draft::SetName{"ok"});
    ASSERT_TRUE(undo.has_value());
    ASSERT_TRUE(named.Apply(*undo).has_value());
    EXPECT_EQ(named.Name(), "a\tb");
    EXPECT_FALSE(named.Apply(draft::SetName{"c\td"}).has_value());
}

TEST(ProgramDraft, EditsAsTheEditorMakesThem) {
    CProgramDraft d(Record("x", {0x00, 0x81}, false));
    // Toggling twice gives the step back; LED 8 is the top bit.
    ASSERT_TRUE(d.Apply(ToggleLedEdit(d, 0, 8)).has_value());
    EXPECT_EQ(d.Step(0), 0x80);
    ASSERT_TRUE(d.Apply(ToggleLedEdit(d, 0, 3)).has_value());
    EXPECT_EQ(d.Step(0), 0x84);
    ASSERT_TRUE(d.Apply(ToggleLedEdit(d, 0, 8)).has_value());
    EXPECT_EQ(d.Step(0), 0x04);

    // Painting sets the cell to the stroke's value, whatever it was.
    ASSERT_TRUE(d.Apply(PaintLedEdit(d, 1, 1, true)).has_value());
    EXPECT_EQ(d.Step(1), 0x81);
    ASSERT_TRUE(d.Apply(PaintLedEdit(d, 1, 1, false)).has_value());
    EXPECT_EQ(d.Step(1), 0x80);
    ASSERT_TRUE(d.Apply(PaintLedEdit(d, 1, 2, true)).has_value());
    EXPECT_EQ(d.Step(1), 0x82);

    // A new step is dark and comes after the current one; -1 puts it first.
    ASSERT_TRUE(d.Apply(InsertAfterEdit(0)).has_value());
    EXPECT_EQ(d.Steps(), (std::vector<uint8_t>{0x04, 0x00, 0x82}));
    ASSERT_TRUE(d.Apply(InsertAfterEdit(-1)).has_value());
    EXPECT_EQ(d.Steps(), (std::vector<uint8_t>{0x00, 0x04, 0x00, 0x82}));
    EXPECT_EQ(EditFocusStep(InsertAfterEdit(0)), 1);

    EXPECT_FALSE(d.CanApply(DuplicateEdit(d, 4)));
    EXPECT_FALSE(d.CanApply(DuplicateEdit(d, -1)));
    EXPECT_FALSE(d.CanApply(ToggleLedEdit(d, 4, 1)));
    EXPECT_FALSE(d.CanApply(MoveEdit(0, true)));
    EXPECT_FALSE(d.CanApply(MoveEdit(3, false)));

    // Into an empty program.
    CProgramDraft empty(Record("", {}, false));
    ASSERT_TRUE(empty.Apply(InsertAfterEdit(-1)).has_value());
    EXPECT_EQ(empty.Steps(), std::vector<uint8_t>{0x00});
}

// Any run of edits taken back in reverse order ends where it began.
TEST(ProgramDraft, UndoingARandomRunOfEditsGivesTheStartBack) {
    std::mt19937 gen(7);
    const LightProgram start = Record("start", {0x11, 0x22, 0x33, 0x44}, true);
    CProgramDraft d(start);
    const Snapshot before = Snap(d);
    std::vector<Snapshot> aStates{before};
    std::vector<DraftEdit> aUndo;
    for (int n = 0; n < 400; ++n) {
        const int nCount = d.StepCount();
        const int k = nCount == 0 ? 0 : static_cast<int>(gen() % nCount);
        const int nLed = static_cast<int>(gen() % 8) + 1;
        DraftEdit edit = draft::SetMix{gen() % 2 == 0};
        switch (gen() % 8) {
            case 0:
                edit = ToggleLedEdit(d, k, nLed);
                break;
            case 1:
                edit = InsertAfterEdit(k);
                break;
            case 2:
                edit = draft::RemoveStep{k};
                break;
            case 3:
                edit = DuplicateEdit(d, k);
                break;
            case 4:
                edit = MoveEdit(k, gen() % 2 == 0);
                break;
            case 5:
                edit = draft::SetName{"n" + std::to_string(n)};
                break;
            case 6:
                edit = draft::ReplaceSteps{std::vector<uint8_t>(gen() % 5, 0x0F)};
                break;
            default:
                break;
        }
        if (std::optional<DraftEdit> undo = d.Apply(edit)) {
            aUndo.push_back(*undo);
            aStates.push_back(Snap(d));
        }
    }
    ASSERT_GT(aUndo.size(), 300u);
    while (!aUndo.empty()) {
        aStates.pop_back();
        ASSERT_TRUE(d.Apply(aUndo.back()).has_value());
        aUndo.pop_back();
        ASSERT_EQ(Snap(d), aStates.back());
    }
    EXPECT_EQ(Snap(d), before);
    EXPECT_FALSE(d.IsChanged());
}

TEST(ProgramDraft, WritesBackIntoARecordKeepingItsAddresses) {
    LightProgram r = Record("old name", {0xAA, 0xBB, 0xCC, 0xDD}, false);
    CProgramDraft d(r);
    ASSERT_TRUE(d.Apply(draft::ReplaceSteps{{0x01, 0x02}}).has_value());
    ASSERT_TRUE(d.Apply(draft::SetName{"new"}).has_value());
    ASSERT_TRUE(d.Apply(draft::SetMix{true}).has_value());
    d.WriteBack(r);
    EXPECT_EQ(r.Steps, 2);
    EXPECT_EQ(r.Data[0], 0x01);
    EXPECT_EQ(r.Data[1], 0x02);
    EXPECT_EQ(r.Data[2], 0x00);  // the old third step is gone
    EXPECT_EQ(r.Data[3], 0x00);
    EXPECT_STREQ(r.Name, "new");
    EXPECT_EQ(r.Name[4], '\0');  // nothing of the old name is left behind the new
    EXPECT_EQ(r.MixAllowed, 1);
    EXPECT_EQ(r.PosProgLen, 0x10);
    EXPECT_EQ(r.PosProgName, 0x12);
    EXPECT_EQ(r.PosProgData, 0x20);

    // A full name and the most steps fit the record.
    CProgramDraft full(RecordWithSteps(896));
    ASSERT_TRUE(full.Apply(draft::SetName{"abcdefghijkl"}).has_value());
    ASSERT_TRUE(full.Apply(draft::SetMix{false}).has_value());
    full.WriteBack(r);
    EXPECT_EQ(r.Steps, 896);
    EXPECT_EQ(r.Data[895], static_cast<uint8_t>(895));
    EXPECT_EQ(std::string(r.Name), "abcdefghijkl");
    EXPECT_EQ(r.MixAllowed, 0);
}
