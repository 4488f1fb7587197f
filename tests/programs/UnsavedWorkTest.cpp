// Unsaved work as a function of what happened to the programs in memory.
#include <gtest/gtest.h>

#include <vector>

#include "programs/UnsavedWork.h"

namespace {

constexpr int kAll = CUnsavedWork::kWholeStore;

struct Step {
    StoreEvent event;
    int nIndex;
};

TEST(UnsavedWork, OnlyEditsMakeWorkAndAnythingThatKeepsOrReplacesItEndsIt) {
    using E = StoreEvent;
    const struct {
        const char* pWhat;
        std::vector<Step> aSteps;
        bool bAny;
        bool bLoseProg3;  // replacing program 3 (index 2) would lose work
    } aCases[] = {
        {"nothing happened", {}, false, false},
        {"loaded and read", {{E::LoadedFromFile, kAll}, {E::ReadFromDevice, 2}}, false, false},
        {"edited", {{E::Edited, 2}}, true, true},
        {"another program edited", {{E::Edited, 4}}, true, false},
        {"edited, stored", {{E::Edited, 2}, {E::Edited, 4}, {E::StoredToFile, kAll}}, false, false},
        {"edited, all written", {{E::Edited, 2}, {E::WrittenToDevice, kAll}}, false, false},
        {"edited, that one written", {{E::Edited, 2}, {E::WrittenToDevice, 2}}, false, false},
        {"two edited, one written",
         {{E::Edited, 2}, {E::Edited, 4}, {E::WrittenToDevice, 4}},
         true,
         true},
        {"edited, another loaded over", {{E::Edited, 2}, {E::LoadedFromFile, kAll}}, false, false},
        {"edited, read over", {{E::Edited, 2}, {E::ReadFromDevice, 2}}, false, false},
        {"edited after a store", {{E::StoredToFile, kAll}, {E::Edited, 2}}, true, true},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pWhat);
        CUnsavedWork work;
        for (const Step& step : c.aSteps)
            work.Note(step.event, step.nIndex);
        EXPECT_EQ(work.Any(), c.bAny);
        EXPECT_EQ(work.WouldLose(), c.bAny);
        EXPECT_EQ(work.WouldLose(2), c.bLoseProg3);
    }
}

}  // namespace
