// The command engine on its own, over a scripted FrameLink: what it keeps as values
// (version, static info, each operation's result) and the frames it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "protocol/CommandEngine.h"

namespace {

// Answers each request from a table; records what was written.
class ScriptedLink : public FrameLink {
public:
    bool IsOpen() const override { return true; }
    int Write(const uint8_t* pBytes, int nCount) override {
        aWritten.emplace_back(reinterpret_cast<const char*>(pBytes), nCount);
        const auto it = answers.find(aWritten.back());
        if (it != answers.end())
            strPending += it->second;
        return nCount;
    }
    int BytesWaiting() override { return static_cast<int>(strPending.size()); }
    int Read(uint8_t* pBuf, int nSize) override {
        const int n = std::min<int>(nSize, static_cast<int>(strPending.size()));
        std::copy_n(strPending.begin(), n, pBuf);
        strPending.erase(0, static_cast<size_t>(n));
        return n;
    }
    void AddTxCount(int) override {}
    void AddRxCount(int) override {}

    std::map<std::string, std::string> answers;
    std::vector<std::string> aWritten;
    std::string strPending;
};

class Host : public EngineListener {
public:
    bool IsPortChosen() override { return true; }
    void OnBusy() override {}
    void OnPollPeriod(int) override {}
    void OnIdle() override {}
    void OnLedsReported(uint8_t) override {}
    void OnProgEntryChanged(int) override {}
    void OnOutcome(CmdOutcome e) override { aOutcomes.push_back(e); }
    std::vector<CmdOutcome> aOutcomes;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

struct Rig {
    Rig() { engine.SetListener(&host); }
    // Starts nCmd and ticks until it ends (at most past the time-out).
    void Run(int nCmd, int nProg = 0) {
        const std::string strLabel = "op: ";
        engine.StartCmd(nCmd, nProg, &strLabel);
        for (int i = 0; i < 100 && engine.IsBusy(); ++i)
            engine.OnComTimer();
    }
    ScriptedLink link;
    ProgramStore store;
    CTraceLog trace;
    NoWait waiter;
    Host host;
    CCommandEngine engine{link, store, trace, waiter};
};

const char kStaticReply[] = ">Fi000802090C0380\n";

TEST(EngineResult, EachOperationEndsWithItsOutcomeAndTheLineThatEndedIt) {
    struct Case {
        const char* pName;
        int nCmd;
        std::map<std::string, std::string> answers;
        CmdOutcome eOutcome;
        const char* pMessage;
    };
    const Case aCases[] = {
        {"jump answered",
         CmdJmpNormal,
         {{">2JN\n", ">3j:0\n"}},
         CmdOutcome::Finished,
         "op: --> ok"},
        {"jump refused",
         CmdJmpNormal,
         {{">2JN\n", ">3j:1\n"}},
         CmdOutcome::Failed,
         "op: --> error !!!"},
        {"silence", CmdJmpConfig, {}, CmdOutcome::TimedOut, "op:  --> timeout"},
        {"static info",
         CmdRdStaticInfo,
         {{">3I00\n", kStaticReply}},
         CmdOutcome::Finished,
         "E2=8k, InfoLen=2, ProgCount=9, ProgNameLen=12, ProgSize=896"},
        {"wrong program count",
         CmdRdStaticInfo,
         {{">3I00\n", ">Fi000802080C0380\n"}},
         CmdOutcome::Failed,
         "this ProgCount is not supported by this tool !!!"},
        {"MIX length read",
         CmdRdMixLen,
         {{">7R000101\n", ">3r2A\n"}},
         CmdOutcome::Finished,
         "...finished"},
    };
    for (const Case& c : aCases) {
        Rig r;
        r.link.answers = c.answers;
        r.Run(c.nCmd);
        ASSERT_EQ(r.host.aOutcomes.size(), 1u) << c.pName;
        EXPECT_EQ(r.host.aOutcomes[0], c.eOutcome) << c.pName;
        EXPECT_EQ(r.engine.Result().eOutcome, c.eOutcome) << c.pName;
        EXPECT_EQ(r.engine.Result().strMessage, c.pMessage) << c.pName << "\n"
                                                            << r.trace.GetTrace();
    }
}

TEST(EngineResult, VersionAndStaticInfoAreKeptAsValues) {
    Rig r;
    r.link.answers = {{">1V\n", ">8vHH 1.01\n"}, {">3I00\n", kStaticReply}};
    r.Run(CmdRdVersion);
    EXPECT_EQ(r.engine.Version(), "HH 1.01");
    r.Run(CmdRdStaticInfo);
    const StaticInfo& info = r.engine.Info();
    EXPECT_EQ(info.E2KBytes, 8);
    EXPECT_EQ(info.ProgCount, 9);
    EXPECT_EQ(info.InfoLen, 2);
    EXPECT_EQ(info.ProgNameLen, 12);
    EXPECT_EQ(info.ProgSize, 896);

    // A version request that is not answered forgets the old text.
    r.link.answers.clear();
    r.Run(CmdRdVersion);
    EXPECT_EQ(r.engine.Version(), "");

    // A port gone away is said on the line the time-out then ends.
    const std::string strLabel = "op: ";
    r.engine.StartCmd(CmdRdVersion, 0, &strLabel);
    r.engine.OnLinkLost();
    for (int i = 0; i < 100 && r.engine.IsBusy(); ++i)
        r.engine.OnComTimer();
    EXPECT_EQ(r.engine.Result().strMessage, "op:  --> COM port lost !!! --> timeout");
}

TEST(EngineResult, WritesGoOutInChunksFromTheTransferAndLedsAsOneFrame) {
    Rig r;
    r.store.RandomLen = 80;
    r.link.answers = {{">7W000150\n", ">3w:0\n"}};
    r.Run(CmdWrMixLen);
    EXPECT_EQ(r.engine.Result().eOutcome, CmdOutcome::Finished);
    EXPECT_TRUE(r.engine.SendLeds(0xA5));
    EXPECT_EQ(r.link.aWritten, (std::vector<std::string>{">7W000150\n", ">3LA5\n"}));
}

}  // namespace
