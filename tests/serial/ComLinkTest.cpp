// The open port as the engine's link: counters, the watched descriptor, open and close.
#include "serial/ComLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/ComEmulator.h"
#include "serial/EmulatedComApi.h"
#include "serial/ForwardingComApi.h"
#include "tests/support/FakeComApi.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TestDoubles.h"

namespace {

struct Recorder : LinkListener {
    void OnRxCount(int n, bool b) override { aEvents.push_back("rx " + Text(n, b)); }
    void OnTxCount(int n, bool b) override { aEvents.push_back("tx " + Text(n, b)); }
    void OnWatchPort(int nFd) override { aEvents.push_back("watch " + std::to_string(nFd)); }
    void OnPortLost() override { aEvents.push_back("lost"); }
    static std::string Text(int n, bool bReset) {
        return std::to_string(n) + (bReset ? " reset" : "");
    }
    std::vector<std::string> aEvents;
};

struct LinkRig {
    LinkRig()
        : emulator(waiter, debug), emulatedApi(emulator), api(peer), serial(api), link(serial) {
        link.SetListener(&rec);
    }
    ScriptedPeer peer;
    RecordingWaiter waiter;
    RecordingDebugSink debug;
    CComEmulator emulator;
    CEmulatedComApi emulatedApi;
    CForwardingComApi api;
    CSerialPort serial;
    CComLink link;
    Recorder rec;
};

TEST(ComLink, CountersReportEveryChangeButNotAnEmptyOne) {
    LinkRig r;
    r.link.AddTxCount(1);
    r.link.AddTxCount(0);
    r.link.AddRxCount(2);
    r.link.AddRxCount(0);
    r.link.ResetRxCount();
    r.link.AddTxCount(3);
    EXPECT_EQ(r.rec.aEvents, (std::vector<std::string>{"tx 1", "rx 2", "rx 0 reset", "tx 4"}));
    EXPECT_EQ(r.link.TxCount(), 4);
    EXPECT_EQ(r.link.RxCount(), 0);
}

TEST(ComLink, WatchIsAskedOncePerChangeAndEndsWithTheClose) {
    LinkRig r;
    ASSERT_EQ(r.link.Open(3, false), "");
    ASSERT_TRUE(r.link.IsOpen());
    r.link.WatchComPort(7);
    r.link.WatchComPort(7);
    EXPECT_TRUE(r.link.IsWatching());
    r.link.Close();
    r.link.Close();  // closed already: nothing
    EXPECT_FALSE(r.link.IsOpen());
    EXPECT_FALSE(r.link.IsWatching());
    EXPECT_EQ(r.rec.aEvents, (std::vector<std::string>{"watch 7", "watch -1"}));
    EXPECT_EQ(r.peer.nOpen, 0);
}

TEST(ComLink, FailedOpensLeaveNoPortAndSayWhy) {
    LinkRig r;
    r.peer.aBusy = {5};
    EXPECT_EQ(r.link.Open(5, false), "INVLID_HANDLE_VALUE");
    EXPECT_FALSE(r.link.IsOpen());
    EXPECT_EQ(r.link.Open(150, false), "port number out of range (1-99)");
    EXPECT_FALSE(r.link.IsOpen());
    EXPECT_EQ(r.peer.nOpen, 0);
}

TEST(ComLink, AGoneDeviceIsReportedOncePerOpenAndNeverWhenClosed) {
    LinkRig r;
    r.peer.bGone = true;
    r.link.CheckGoneAway();  // no port open: nothing to lose
    ASSERT_EQ(r.link.Open(3, false), "");
    r.peer.bGone = false;
    r.link.CheckGoneAway();
    EXPECT_TRUE(r.rec.aEvents.empty());
    r.peer.bGone = true;
    r.link.CheckGoneAway();
    r.link.CheckGoneAway();
    EXPECT_EQ(r.rec.aEvents, std::vector<std::string>{"lost"});

    // Opened again: a new device may go away again.
    r.link.Close();
    ASSERT_EQ(r.link.Open(3, false), "");
    r.link.CheckGoneAway();
    EXPECT_EQ(r.rec.aEvents, (std::vector<std::string>{"lost", "lost"}));
}

TEST(ComLink, EmulationHasNoDescriptorAndAnswersThroughTheLink) {
    LinkRig r;
    r.api.SetTarget(r.emulatedApi);
    ASSERT_EQ(r.link.Open(1, true), "");
    EXPECT_TRUE(r.link.IsEmulation());
    EXPECT_EQ(r.link.ComPortDescriptor(), -1);
    const std::string strRequest = ">1V\n";
    r.link.Write(reinterpret_cast<const uint8_t*>(strRequest.data()), 4);
    std::string strAnswer(static_cast<size_t>(r.link.BytesWaiting()), '\0');
    r.link.Read(reinterpret_cast<uint8_t*>(strAnswer.data()), static_cast<int>(strAnswer.size()));
    EXPECT_EQ(strAnswer, ">8vHH 1.01\n");
}

}  // namespace

namespace {

// Whether the last frame went out whole: set by a write the port gave up, cleared by
// the next one it took and by a new open.
TEST(ComLink, RemembersWhetherTheLastFrameWasTaken) {
    FakeComApi api;
    CSerialPort serial(api);
    CComLink link(serial);
    api.SetPort(4, FakeComApi::Port::Present);
    ASSERT_EQ(link.Open(4, false), "");
    const uint8_t acFrame[] = {'>', '1', 'V', '\n'};

    EXPECT_EQ(link.Write(acFrame, 4), 4);
    EXPECT_FALSE(link.IsStalled());
    api.bFailWriteFile = true;
    EXPECT_LT(link.Write(acFrame, 4), 4);
    EXPECT_TRUE(link.IsStalled());
    api.bFailWriteFile = false;
    EXPECT_EQ(link.Write(acFrame, 4), 4);
    EXPECT_FALSE(link.IsStalled());

    api.bFailWriteFile = true;
    link.Write(acFrame, 4);
    ASSERT_TRUE(link.IsStalled());
    api.bFailWriteFile = false;
    ASSERT_EQ(link.Open(4, false), "");
    EXPECT_FALSE(link.IsStalled());
}

}  // namespace
