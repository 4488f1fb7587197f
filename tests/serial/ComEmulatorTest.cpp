#include "serial/ComEmulator.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestDoubles.h"

namespace {
class ComEmulatorTest : public testing::Test {
protected:
    void SetUp() override { emulator.ResetEmulator(); }

    // Hands the request over as one frame and returns the whole answer ("" for none).
    std::string Ask(const std::string& strRequest) {
        waiter.aWaits.clear();
        const int nCount = static_cast<int>(strRequest.size());
        EXPECT_EQ(emulator.HandleFrame(reinterpret_cast<const uint8_t*>(strRequest.data()), nCount),
                  nCount);
        return TakeAnswer();
    }
    std::string TakeAnswer() {
        std::string strAnswer;
        uint8_t by;
        while (emulator.ReadAnswer(&by, 1) == 1)
            strAnswer += static_cast<char>(by);
        return strAnswer;
    }
    void ToConfig() { ASSERT_EQ(Ask(">2JC\n"), ">3j:0\n"); }

    RecordingWaiter waiter;
    RecordingDebugSink debug;
    CComEmulator emulator{waiter, debug};
};

TEST_F(ComEmulatorTest, NormalModeAnswersOnlyJAndV) {
    EXPECT_EQ(Ask(">1V\n"), ">8vHH 1.01\n");
    EXPECT_EQ(waiter.aWaits, std::vector<int>{30});
    for (const char* psz : {">3I00\n", ">7R000201\n", ">3L81\n", ">3SA5\n", ">7W000150\n"}) {
        EXPECT_EQ(Ask(psz), "") << psz;
        EXPECT_TRUE(waiter.aWaits.empty()) << psz;
    }
    EXPECT_EQ(Ask(">2JN\n"), ">3j:0\n");
    EXPECT_TRUE(emulator.IsNormalMode());
    EXPECT_EQ(Ask(">2JX\n"), "");
    EXPECT_TRUE(waiter.aWaits.empty());
    ToConfig();
    EXPECT_FALSE(emulator.IsNormalMode());
    EXPECT_EQ(Ask(">2JC\n"), ">3j:0\n");
    EXPECT_EQ(Ask(">1V\n"), ">8vHH 1.01\n");
    EXPECT_EQ(Ask(">2JN\n"), ">3j:0\n");
    EXPECT_TRUE(emulator.IsNormalMode());
}

TEST_F(ComEmulatorTest, AnswerWaitsForTheNextRequestInNormalMode) {
    const uint8_t acVersion[] = {'>', '1', 'V', '\n'};
    emulator.HandleFrame(acVersion, 4);
    EXPECT_EQ(Ask(">7R008003\n").size(), 11u);  // no answer: the version is still there
}

TEST_F(ComEmulatorTest, OnlyTheLastAnswerCanBeRead) {
    ToConfig();
    const std::string strVersion = ">1V\n";
    const std::string strLeds = ">3L01\n";
    emulator.HandleFrame(reinterpret_cast<const uint8_t*>(strVersion.data()), 4);
    emulator.HandleFrame(reinterpret_cast<const uint8_t*>(strLeds.data()), 6);
    EXPECT_EQ(TakeAnswer(), ">3l:0\n");
}

TEST_F(ComEmulatorTest, StaticInfoAndProgramRows) {
    ToConfig();
    EXPECT_EQ(Ask(">3I00\n"), ">Fi000802090C0380\n");
    EXPECT_EQ(Ask(">3I03\n"), ">Fi03001E00200780\n");
    EXPECT_EQ(Ask(">3I09\n"), ">Fi09007200741C80\n");
    EXPECT_EQ(Ask(">3i0a\n"), "");  // letters are case-sensitive
    EXPECT_EQ(Ask(">3I0A\n"), ">3i:1\n");
    EXPECT_EQ(Ask(">3IFF\n"), ">3i:1\n");
    EXPECT_EQ(waiter.aWaits, std::vector<int>{30});
}

TEST_F(ComEmulatorTest, ReadsOfTheFactoryImage) {
    ToConfig();
    EXPECT_EQ(Ask(">7R008007\n"), ">Fr01020408102040\n");
    EXPECT_EQ(waiter.aWaits, std::vector<int>{90});
    EXPECT_EQ(Ask(">7R000202\n"), ">5r0008\n");
    EXPECT_EQ(Ask(">7R000101\n"), ">3r20\n");
    EXPECT_EQ(Ask(">7R040009\n"), ">3r:1\n");  // nine bytes: too many
    EXPECT_EQ(Ask(">7R000208\n"), ">3r:1\n");
    EXPECT_EQ(waiter.aWaits, std::vector<int>{30});
    EXPECT_EQ(Ask(">7R000200\n"), ">3r:1\n");
    EXPECT_EQ(Ask(">7R000000\n"), ">3r:1\n");
    // Never written after the first reset: erased.
    EXPECT_EQ(Ask(">7R000A03\n"), ">7rFFFFFF\n");
}

TEST_F(ComEmulatorTest, WriteThenReadBack) {
    ToConfig();
    EXPECT_EQ(Ask(">9W001201A5\n"), ">3w:0\n");
    EXPECT_EQ(waiter.aWaits, std::vector<int>{150});
    EXPECT_EQ(Ask(">7R001202\n"), ">5r01A5\n");
    EXPECT_EQ(Ask(">FW1FFB0102030405\n"), ">3w:0\n");  // the last five bytes
    EXPECT_EQ(Ask(">7R1FFB05\n"), ">Br0102030405\n");
    // Lower-case hex is decoded too.
    EXPECT_EQ(Ask(">7W00a0ff\n"), ">3w:0\n");
    EXPECT_EQ(emulator.Image()[0xA0], 0xFF);
}

TEST_F(ComEmulatorTest, WriteRefusals) {
    ToConfig();
    const auto acBefore = emulator.Image();
    struct Case {
        const char* pszRequest;
        const char* pszAnswer;
    } aCases[] = {
        {">5W0012\n", ">3w:0\n"},        // no data: stores nothing, succeeds
        {">8W001201A5\n", ">3w:1\n"},    // length digit does not match the count
        {">8W001201A\n", ">3w:4\n"},     // odd number of data characters
        {">7W200001\n", ">3w:1\n"},      // outside the image
        {">9W1FFF0102\n", ">3w:1\n"},    // runs past the end
        {">BWFFFF010203\n", ">3w:1\n"},  // would wrap round to 0
        {">4W00\n", ">3w:1\n"},          // too short for its address
        {">0W", ">3w:1\n"},
    };
    for (const Case& c : aCases) {
        EXPECT_EQ(Ask(c.pszRequest), c.pszAnswer) << c.pszRequest;
    }
    EXPECT_EQ(emulator.Image(), acBefore);
}

TEST_F(ComEmulatorTest, ReadsOutsideTheImageAreRefused) {
    ToConfig();
    EXPECT_EQ(Ask(">7R1FF907\n"), ">FrFFFFFFFFFFFFFF\n");  // up to the last byte
    EXPECT_EQ(Ask(">7R1FFF01\n"), ">3rFF\n");
    EXPECT_EQ(Ask(">7R1FFF02\n"), ">3r:1\n");
    EXPECT_EQ(Ask(">7R200001\n"), ">3r:1\n");
    EXPECT_EQ(Ask(">7RFFFF07\n"), ">3r:1\n");
}

TEST_F(ComEmulatorTest, ShortRequestsReadNothingBeyondTheirCount) {
    ToConfig();
    // Each request copied into a buffer of exactly its size; a read past it would be
    // caught by the address sanitizer build.
    struct Case {
        const char* pszRequest;
        const char* pszAnswer;
    } aCases[] = {
        {">", ""},           {">1", ""},         {">2J", ""},
        {">3I0", ">3i:1\n"}, {">3L", ">3l:1\n"}, {">7R00020", ">3r:1\n"},
        {">3S", ">3s:1\n"},  {">1Q\n", ""},
    };
    for (const Case& c : aCases) {
        const std::string strRequest = c.pszRequest;
        auto pCopy = std::make_unique<uint8_t[]>(strRequest.size());
        std::copy(strRequest.begin(), strRequest.end(), pCopy.get());
        emulator.HandleFrame(pCopy.get(), static_cast<int>(strRequest.size()));
        EXPECT_EQ(TakeAnswer(), c.pszAnswer) << c.pszRequest;
    }
    EXPECT_EQ(emulator.HandleFrame(nullptr, 4), 4);
    EXPECT_TRUE(debug.aLines.empty());
}

TEST_F(ComEmulatorTest, LedsGoToTheDebugOutput) {
    ToConfig();
    EXPECT_EQ(Ask(">3L81\n"), ">3l:0\n");
    EXPECT_EQ(debug.aLines, std::vector<std::string>{"Leds: 81\r\n"});
    EXPECT_EQ(waiter.aWaits, std::vector<int>{30});
}

TEST_F(ComEmulatorTest, ResetByteRestoresTheFactoryContents) {
    ToConfig();
    ASSERT_EQ(Ask(">9W008011FF\n"), ">3w:0\n");
    ASSERT_EQ(Ask(">7W0A0033\n"), ">3w:0\n");
    EXPECT_EQ(Ask(">3S5A\n"), ">3s:1\n");
    EXPECT_EQ(emulator.Image()[0x80], 0x11);
    EXPECT_EQ(Ask(">3SA5\n"), ">3s:0\n");
    EXPECT_EQ(waiter.aWaits, (std::vector<int>{120, 30}));
    EXPECT_EQ(debug.aLines, (std::vector<std::string>{"Leds: 5A\r\n", "Leds: A5\r\n"}));
    EXPECT_EQ(Ask(">7R008002\n"), ">5r0102\n");
    EXPECT_EQ(Ask(">7R0A0001\n"), ">3r33\n");  // other bytes are not erased
}

TEST_F(ComEmulatorTest, ReconnectKeepsModeAndImage) {
    ToConfig();
    ASSERT_EQ(Ask(">7W000150\n"), ">3w:0\n");
    const uint8_t acVersion[] = {'>', '1', 'V', '\n'};
    emulator.HandleFrame(acVersion, 4);
    EXPECT_EQ(emulator.ResetEmulator(), 1);
    EXPECT_EQ(emulator.AnswerBytesWaiting(), 0);
    EXPECT_FALSE(emulator.IsNormalMode());
    EXPECT_EQ(Ask(">7R000101\n"), ">3r50\n");
}

TEST_F(ComEmulatorTest, FactoryImage) {
    const auto& ac = emulator.Image();
    EXPECT_EQ(ac[0], 0xFF);
    EXPECT_EQ(ac[1], 0x20);
    EXPECT_EQ(ac[0x10], 0x00);
    EXPECT_EQ(ac[0x11], 0x09);
    EXPECT_EQ(ac[0x12], 0x00);
    EXPECT_EQ(ac[0x13], 0xFF);
    EXPECT_EQ(ac[0x0400 + 8], 0x80);
    EXPECT_EQ(ac[0x0400 + 9], 0xFF);
    EXPECT_EQ(ac[0x74], 0x00);  // program 9's name
    EXPECT_EQ(ac[0x1C80], 9);
    EXPECT_EQ(ac[0x1C81], 0xFF);
    EXPECT_EQ(ac[kE2ImageSize - 1], 0xFF);
}

TEST_F(ComEmulatorTest, AnswerIsHandedOutInPieces) {
    const uint8_t acVersion[] = {'>', '1', 'V', '\n'};
    emulator.HandleFrame(acVersion, 4);
    uint8_t ac[8] = {};
    EXPECT_EQ(emulator.ReadAnswer(ac, 0), 0);
    EXPECT_EQ(emulator.ReadAnswer(ac, 8), 8);
    EXPECT_EQ(emulator.AnswerBytesWaiting(), 3);
    EXPECT_EQ(emulator.ReadAnswer(ac, 8), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ac), 3), "01\n");
    EXPECT_EQ(emulator.ReadAnswer(ac, 8), 0);
}
}  // namespace
