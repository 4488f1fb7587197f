// The link against the emulated Handheld: outcomes, what it learns, and the number of
// exchanges each transfer takes, which the progress display predicts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include <unistd.h>

#include "cli/DeviceLink.h"
#include "cli/EventLoop.h"
#include "cli/TransferPlan.h"
#include "tests/cli/CliRig.h"

namespace {

struct EmulatedLink {
    EmulatedLink() : link(Setup()) {}
    explicit EmulatedLink(const LinkSetup& setup) : link(setup) {}
    static LinkSetup Setup() {
        LinkSetup setup;
        setup.bEmulate = true;
        setup.bPauses = false;
        return setup;
    }
    // Runs the loop until the link is idle; the outcome.
    LinkOutcome Finish() {
        for (int n = 0; n < 100000 && link.IsBusy(); ++n)
            loop.Turn({&link});
        EXPECT_FALSE(link.IsBusy());
        return link.Outcome();
    }
    LinkOutcome Run(DeviceOp op, int nProg = 0) {
        link.Start(op, nProg);
        return Finish();
    }

    CEventLoop loop{true};
    CDeviceLink link;
};

TEST(DeviceLink, ConnectReadsTheVersion) {
    EmulatedLink e;
    e.link.Connect();
    EXPECT_EQ(e.Finish(), LinkOutcome::Done);
    EXPECT_EQ(e.link.Version(), "HH 1.01");
    EXPECT_EQ(e.Run(DeviceOp::StaticInfo), LinkOutcome::Done);
    const DeviceFacts facts = e.link.Facts();
    EXPECT_EQ(facts.nE2KBytes, 8);
    EXPECT_EQ(facts.nProgCount, 9);
    EXPECT_EQ(facts.info.ProgSize, 896);
    EXPECT_EQ(facts.info.ProgNameLen, 12);
    EXPECT_EQ(e.Run(DeviceOp::ProgInfo, 2), LinkOutcome::Done);
    EXPECT_EQ(e.link.Store().aProgs[1].PosProgData, 0x0400);
    EXPECT_EQ(e.Run(DeviceOp::JmpNormal), LinkOutcome::Done);
}

TEST(DeviceLink, WithoutConnectNothingRunsAndStopOrCloseEndsAnOperation) {
    EmulatedLink e;
    e.link.Start(DeviceOp::ReadAll);
    EXPECT_FALSE(e.link.IsBusy());
    EXPECT_EQ(e.link.Outcome(), LinkOutcome::Refused);
    EXPECT_NE(e.link.Message().find("COM port not opened"), std::string::npos) << e.link.Message();

    // Stop, and closing the port, each end a running operation.
    for (const bool bClose : {false, true}) {
        e.link.Connect();
        e.Finish();
        e.link.Start(DeviceOp::ReadAll);
        e.loop.Turn({&e.link});
        ASSERT_TRUE(e.link.IsBusy());
        if (bClose)
            e.link.Close();
        else
            e.link.Stop();
        EXPECT_FALSE(e.link.IsBusy()) << bClose;
        EXPECT_EQ(e.link.Outcome(), LinkOutcome::Stopped) << bClose;
    }
    EXPECT_EQ(e.link.Message(), "Com Port closed");
}

TEST(DeviceLink, WrittenStoreReadsBackAndEachTransferTakesThePlannedExchanges) {
    EmulatedLink e;
    e.link.Connect();
    ASSERT_EQ(e.Finish(), LinkOutcome::Done);
    ProgramStore written;
    FillStore(written, 896);
    // Edge cases of the plan: a name of full length, an empty program, an empty name.
    std::snprintf(written.aProgs[3].Name, kNameSize, "%s", "twelve chars");
    written.aProgs[4].Steps = 0;
    written.aProgs[5].Name[0] = 0;
    e.link.Store() = written;

    e.link.Start(DeviceOp::WriteAll);
    e.Finish();
    ASSERT_EQ(e.link.Outcome(), LinkOutcome::Done) << e.link.Message();
    EXPECT_EQ(e.link.Exchanges(), WriteAllExchanges(written, e.link.Info()));

    e.link.Store() = ProgramStore{};
    // Before any program is read the plan counts the most each may hold.
    const int nMost = ReadAllExchanges(e.link.Store(), {}, e.link.Info());
    ASSERT_EQ(e.Run(DeviceOp::ReadAll), LinkOutcome::Done) << e.link.Message();
    std::vector<int> aDone = e.link.ProgramsDone();
    std::sort(aDone.begin(), aDone.end());
    EXPECT_EQ(aDone, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(e.link.Exchanges(), ReadAllExchanges(e.link.Store(), aDone, e.link.Info()));
    EXPECT_LE(e.link.Exchanges(), nMost);

    const ProgramStore& read = e.link.Store();
    EXPECT_EQ(read.RandomLen, written.RandomLen);
    for (int i = 0; i < kProgCount; ++i) {
        EXPECT_STREQ(read.aProgs[i].Name, written.aProgs[i].Name) << i;
        EXPECT_EQ(read.aProgs[i].Steps, written.aProgs[i].Steps) << i;
        EXPECT_EQ(read.aProgs[i].MixAllowed, written.aProgs[i].MixAllowed) << i;
        EXPECT_TRUE(std::equal(read.aProgs[i].Data, read.aProgs[i].Data + read.aProgs[i].Steps,
                               written.aProgs[i].Data))
            << i;
    }

    e.link.Start(DeviceOp::WriteProg, 4);
    e.Finish();
    EXPECT_EQ(e.link.Exchanges(), 1 + WriteProgExchanges(written.aProgs[3], e.link.Info()));
    e.link.Start(DeviceOp::ReadProg, 6);
    e.Finish();
    EXPECT_EQ(e.link.Exchanges(), 1 + ReadProgExchanges(written.aProgs[5], true, e.link.Info()));
}

TEST(DeviceLink, TimerAndTraceFollowTheOperation) {
    std::vector<std::pair<std::string, bool>> aPieces;
    LinkSetup setup = EmulatedLink::Setup();
    setup.fnTrace = [&aPieces](const std::string& s, bool bNew) { aPieces.emplace_back(s, bNew); };
    EmulatedLink e(setup);
    // The timer runs from the start at the idle rate; the emulation has no descriptor.
    EXPECT_EQ(e.link.TimerPeriodMs(), 100);
    EXPECT_TRUE(e.link.TakeTimerRestart());
    EXPECT_FALSE(e.link.TakeTimerRestart());
    EXPECT_EQ(e.link.Descriptor(), -1);

    e.link.Connect();
    ASSERT_TRUE(e.link.IsBusy());
    EXPECT_TRUE(e.link.TakeTimerRestart());
    EXPECT_LT(e.link.TimerPeriodMs(), 100);
    ASSERT_EQ(e.Finish(), LinkOutcome::Done);
    EXPECT_EQ(e.link.TimerPeriodMs(), 100);

    // One new trace, then only additions: the version, the switch and its answer.
    ASSERT_FALSE(aPieces.empty());
    EXPECT_TRUE(aPieces.front().second);
    EXPECT_EQ(aPieces.front().first.rfind("Open Com Port:", 0), 0u) << aPieces.front().first;
    std::string strJoined;
    for (size_t i = 0; i < aPieces.size(); ++i) {
        EXPECT_TRUE(i == 0 || !aPieces[i].second) << aPieces[i].first;
        strJoined += aPieces[i].first;
    }
    EXPECT_NE(strJoined.find(" --> VHH 1.01"), std::string::npos) << strJoined;
    EXPECT_EQ(e.link.Message(), "jmp to CFG mode: --> ok");

    // An operation of its own starts a new trace.
    aPieces.clear();
    EXPECT_EQ(e.Run(DeviceOp::ReadMix), LinkOutcome::Done);
    ASSERT_FALSE(aPieces.empty());
    EXPECT_TRUE(aPieces.front().second);
    EXPECT_EQ(aPieces.front().first.rfind("rd MIX lenght: ", 0), 0u) << aPieces.front().first;
}

TEST(DeviceLink, FilesAndListing) {
    EmulatedLink e;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("devicelink_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    FillStore(e.link.Store(), 3);
    const std::string strFile = (dir / "set.ini").string();
    EXPECT_TRUE(e.link.StoreFile(strFile));
    EXPECT_FALSE(e.link.StoreFile((dir / "missing" / "set.ini").string()));

    e.link.Store() = ProgramStore{};
    ASSERT_TRUE(e.link.LoadFile(strFile));
    std::vector<std::string> aRows = e.link.Listing();
    ASSERT_EQ(aRows.size(), 11u);
    EXPECT_EQ(aRows[0].rfind("Prog 1: ", 0), 0u) << aRows[0];
    EXPECT_NE(aRows[0].find("3 steps"), std::string::npos) << aRows[0];
    EXPECT_EQ(aRows[9], "Random");
    EXPECT_EQ(aRows[10], "MIX: (RandomLen=" + std::to_string(e.link.Store().RandomLen) + ")");

    // A file that cannot be read leaves an empty store behind.
    EXPECT_FALSE(e.link.LoadFile((dir / "absent.ini").string()));
    EXPECT_EQ(e.link.Store().aProgs[0].Steps, 0);
    std::filesystem::remove_all(dir);
}

}  // namespace
