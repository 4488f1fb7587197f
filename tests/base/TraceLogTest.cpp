#include "base/TraceLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder : TraceListener {
    void OnTraceSet(const std::string& s, bool b) override {
        aEvents.push_back("set:" + s + (b ? "|end" : "|stay"));
    }
    void OnTraceAppend(const std::string& s, bool b) override {
        aEvents.push_back("add:" + s + (b ? "|end" : "|stay"));
    }
    std::vector<std::string> aEvents;
};

TEST(TraceLog, KeepsTheWholeTextAndPassesOnlyWhatChanged) {
    CTraceLog log;
    log.AppendTrace("lost? ");  // nobody listens yet: kept all the same
    Recorder rec;
    log.SetListener(&rec);
    log.AppendTrace("a");
    log.SetTrace("start", false);
    log.AppendTrace("\r\n-->", true);
    log.AppendTrace("");
    EXPECT_EQ(log.GetTrace(), "start\r\n-->");
    EXPECT_EQ(rec.aEvents, (std::vector<std::string>{"add:a|end", "set:start|stay",
                                                     "add:\r\n-->|end", "add:|end"}));
    log.SetListener(nullptr);
    log.SetTrace("quiet");
    EXPECT_EQ(log.GetTrace(), "quiet");
    EXPECT_EQ(rec.aEvents.size(), 4u);
}

}  // namespace
