#include <gtest/gtest.h>

#include "cli/Progress.h"

namespace {

TEST(Progress, NothingDoneYet) {
    EXPECT_EQ(FormatProgress({"COM1", 0, 1200, 0.0}, 10),
              "COM1 [..........]   0%     0/1200  --:-- left");
}

TEST(Progress, HalfWayPredictsTheRestFromThePaceSoFar) {
    // 600 of 1200 in 30 s: 30 s to go.
    EXPECT_EQ(FormatProgress({"COM2", 600, 1200, 30.0}, 10),
              "COM2 [#####.....]  50%   600/1200  0:30 left");
    // A third, rounded down in bar and percent; 125.6 s to go.
    EXPECT_EQ(FormatProgress({"ttyUSB0", 100, 301, 62.5}, 9),
              "ttyUSB0 [##.......]  33%   100/301  2:06 left");
}

TEST(Progress, Complete) {
    EXPECT_EQ(FormatProgress({"COM1", 1200, 1200, 41.0}, 10),
              "COM1 [##########] 100%  1200/1200  0:00 left");
    // More exchanges than planned never draw past the end.
    EXPECT_EQ(FormatProgress({"COM1", 1300, 1200, 41.0}, 10),
              "COM1 [##########] 100%  1200/1200  0:00 left");
}

TEST(Progress, TotalNotYetKnown) {
    EXPECT_EQ(FormatProgress({"COM1", 1, 0, 0.01}, 4), "COM1 [....]    ?     1/?  --:-- left");
    EXPECT_LT(SecondsLeft({"COM1", 1, 0, 0.01}), 0);
}

}  // namespace
