// The pattern generators: the steps each one makes, and that every one fits a program.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "programs/ProgramDraft.h"
#include "programs/StepPatterns.h"

TEST(StepPatterns, MakeTheirSteps) {
    using V = std::vector<uint8_t>;
    EXPECT_EQ(ChaseLeftSteps(), (V{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
    EXPECT_EQ(ChaseRightSteps(), (V{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}));
    EXPECT_EQ(BounceSteps(), (V{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x40, 0x20, 0x10,
                                0x08, 0x04, 0x02}));
    EXPECT_EQ(FillSteps(), (V{0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF, 0x00}));
    EXPECT_EQ(BlinkAllSteps(), (V{0xFF, 0x00}));
    const V aCount = BinaryCountSteps();
    ASSERT_EQ(aCount.size(), 256u);
    for (size_t n = 0; n < aCount.size(); ++n)
        EXPECT_EQ(aCount[n], n);
}

TEST(StepPatterns, EachFillsAProgramUnderItsOwnName) {
    std::set<std::string> names;
    for (const StepPattern& pattern : kStepPatterns) {
        SCOPED_TRACE(pattern.pName);
        EXPECT_TRUE(names.insert(pattern.pName).second);
        CProgramDraft d{LightProgram{}};
        const std::vector<uint8_t> aSteps = pattern.pMake();
        ASSERT_TRUE(d.Apply(draft::ReplaceSteps{aSteps}).has_value());
        EXPECT_EQ(d.Steps(), aSteps);
        EXPECT_FALSE(aSteps.empty());
    }
}
