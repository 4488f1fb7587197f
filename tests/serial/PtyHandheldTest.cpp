// Pseudo-terminals and the POSIX serial primitives exist only on POSIX systems.
#ifndef _WIN32
// The simulated Handheld on a pseudo-terminal, reached through the real POSIX serial
// layer, stepped by hand and in a thread of its own.
#include "serial/posix/PtyHandheld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "serial/posix/PosixComApi.h"
#include "tests/support/TestDoubles.h"

namespace {
constexpr unsigned kPort = 96;

class PtyHandheldTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(handheld.Open()) << handheld.Error();
        setenv("GLOWDESK_COM96", handheld.DevicePath().c_str(), 1);
        serial.InitLineSettings(settings, kPort, 57600, 0);
        const char* psz = serial.Open(hPort, settings);
        ASSERT_NE(psz, nullptr);
        ASSERT_STREQ(psz, "");
    }
    void TearDown() override {
        serial.Close(hPort);
        unsetenv("GLOWDESK_COM96");
    }
    void Send(const std::string& str) {
        ASSERT_EQ(serial.Write(hPort, reinterpret_cast<const uint8_t*>(str.data()),
                               static_cast<int>(str.size())),
                  static_cast<int>(str.size()));
    }
    std::string Receive(size_t nCount) {
        std::string str;
        while (str.size() < nCount && WaitReadable(serial.PollDescriptor(hPort), 1000)) {
            uint8_t by;
            while (serial.BytesWaiting(hPort) > 0 && serial.Read(hPort, &by, 1) == 1) {
                str += static_cast<char>(by);
            }
        }
        return str;
    }

    RecordingWaiter handheldWaiter;
    RecordingDebugSink handheldDebug;
    PtyHandheld handheld{handheldWaiter, handheldDebug};

    PosixComApi api{ComPortTable(false)};
    RecordingWaiter waiter;
    NullDebugSink debug;
    CSerialPort serial{api};
    ComSettings settings;
    PortHandle hPort = kNullHandle;
};

TEST_F(PtyHandheldTest, AnswersFramesSteppedByHand) {
    std::vector<std::string> aLog;
    handheld.SetFrameLog(
        [&](const std::string& s, bool bAnswer) { aLog.push_back((bAnswer ? "-> " : "<- ") + s); });
    Send(">1V\n");
    EXPECT_EQ(handheld.Step(1000), 1);
    EXPECT_EQ(Receive(11), ">8vHH 1.01\n");
    EXPECT_EQ(handheldWaiter.aWaits, std::vector<int>{30});
    EXPECT_EQ(aLog, (std::vector<std::string>{"<- >1V\n", "-> >8vHH 1.01\n"}));

    // Noise, a broken frame and a restart before the real one; two frames at once.
    Send("xx>0>3L>2JC\n>3L81\n");
    int nFrames = 0;
    while (nFrames < 2) {
        const int n = handheld.Step(1000);
        ASSERT_GT(n, 0);
        nFrames += n;
    }
    EXPECT_EQ(Receive(12), ">3j:0\n>3l:0\n");
    EXPECT_EQ(handheldDebug.aLines, std::vector<std::string>{"Leds: 81\r\n"});
    // A gap for each start of a request after an answer: the first '>' after the
    // version, and the second of the two frames (the broken ones answered nothing).
    const std::vector<double> adGaps = handheld.TakeReplyGaps();
    ASSERT_EQ(adGaps.size(), 2u);
    EXPECT_GE(adGaps[0], 0.0);
    EXPECT_TRUE(handheld.TakeReplyGaps().empty());
    EXPECT_FALSE(handheld.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));
}

TEST_F(PtyHandheldTest, FrameInPiecesIsAnsweredWhenComplete) {
    Send(">3I0");
    EXPECT_EQ(handheld.Step(0), 0);
    Send("0\n");
    EXPECT_EQ(handheld.Step(1000), 1);
    // In normal mode: no answer.
    EXPECT_EQ(handheld.FramesReceived(), 1);
    Send(">1V\n");
    EXPECT_EQ(handheld.Step(1000), 1);
    EXPECT_EQ(Receive(11), ">8vHH 1.01\n");
}

TEST_F(PtyHandheldTest, SilentHandheldAndUnsolicitedFrames) {
    handheld.SetSilent(true);
    Send(">1V\n");
    EXPECT_EQ(handheld.Step(1000), 1);
    EXPECT_TRUE(handheld.Send(">3L81\n"));
    EXPECT_EQ(Receive(6), ">3L81\n");  // only the unsolicited frame came
}

TEST_F(PtyHandheldTest, ServesInAThreadAndHangsUpOnClose) {
    ASSERT_TRUE(handheld.Start());
    Send(">2JC\n");
    EXPECT_EQ(Receive(6), ">3j:0\n");
    Send(">7R000101\n");
    EXPECT_EQ(Receive(6), ">3r20\n");
    handheld.Stop();
    EXPECT_EQ(handheld.FramesReceived(), 2);

    handheld.Close();
    EXPECT_EQ(handheld.Step(0), -1);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.PollDescriptor(hPort), -1);
    const uint8_t acFrame[] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(serial.Write(hPort, acFrame, 4), 0);
}

TEST_F(PtyHandheldTest, ReconnectsToTheSameHandheld) {
    EXPECT_EQ(serial.Close(hPort), 1);
    hPort = kNullHandle;
    const char* psz = serial.Open(hPort, settings);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "");
    Send(">1V\n");
    EXPECT_EQ(handheld.Step(1000), 1);
    EXPECT_EQ(Receive(11), ">8vHH 1.01\n");
}
}  // namespace

#endif  // _WIN32
