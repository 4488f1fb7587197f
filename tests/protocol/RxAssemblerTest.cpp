// The receive frame assembler, seen through the "-t 1" dump of every complete frame.
#include <gtest/gtest.h>

#include "tests/support/PeerHarness.h"

namespace {

// The frames the dump shows, in order.
std::vector<std::string> DumpedFrames(const std::string& strTrace) {
    static const std::string kHead = "\r\n>> IN: (";
    static const std::string kTail = ")\r\n";
    std::vector<std::string> aFrames;
    for (size_t nPos = strTrace.find(kHead); nPos != std::string::npos;
         nPos = strTrace.find(kHead, nPos + 1)) {
        const size_t nStart = nPos + kHead.size();
        aFrames.push_back(strTrace.substr(nStart, strTrace.find(kTail, nStart) - nStart));
    }
    return aFrames;
}

TEST(RxAssembler, FindsFramesOnlyWhereTheyAreWellFormed) {
    struct Case {
        const char* pName;
        std::string strInput;
        std::vector<std::string> aFrames;
    };
    const Case aCases[] = {
        {"noise around a frame", "xx\x13>3l:0\nyy", {">3l:0"}},
        {"two frames in one poll", ">3l:0\n>3l:1\n", {">3l:0", ">3l:1"}},
        {"'>' restarts in the body", ">3l:>3l:1\n", {">3l:1"}},
        {"'>' restarts at the end marker", ">3l:0>3l:3\n", {">3l:3"}},
        {"length digit 0 is assembled", ">0x\n", {">0x"}},
        {"body longer than announced", ">3l:00\n>3l:2\n", {">3l:2"}},
        {"line feed too early", ">3l\n", {}},
        {"line feed as length digit", ">\n>3l:5\n", {">3l:5"}},
        {"length digit above F", ">Gl:0\n", {}},
        {"length digit below '0'", ">#l:0\n", {}},
        {"lower-case length digit", ">fl:0123456789abc\n", {">fl:0123456789abc"}},
        {"longest frame", ">Fi000802090C0380\n", {">Fi000802090C0380"}},
        {"shortest frame", "\n\n>1l\n", {">1l"}},
        {"missing line feed, then a frame", ">3l:0X>3l:4\n", {">3l:4"}},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pName);
        PeerHarness t("-p 1 -t 1");
        t.ConnectIdle();
        t.h.session.Trace().SetTrace("");
        t.peer.Queue(c.strInput);
        t.Tick();
        EXPECT_EQ(DumpedFrames(t.Trace()), c.aFrames);
        EXPECT_TRUE(t.peer.strRx.empty());
    }
}

TEST(RxAssembler, AFrameMaySpanTicksAndTheStateSurvivesBetween) {
    PeerHarness t("-p 1 -t 1");
    t.ConnectIdle();
    t.h.session.Trace().SetTrace("");
    for (char ch : std::string("junk>3L0")) {
        t.peer.Queue(std::string(1, ch));
        t.Tick();
    }
    t.peer.Queue("4\n");
    t.Tick();
    EXPECT_EQ(DumpedFrames(t.Trace()), std::vector<std::string>{">3L04"});
    EXPECT_EQ(t.h.view.ShownLeds(), 0x04);
}

}  // namespace
