#include "protocol/Frames.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {
// A request built as the engine builds it: raw payload bytes, each turned into hex.
std::string BuildFrame(char chLetter, std::initializer_list<uint8_t> acPayload) {
    CFrame frame(chLetter);
    for (uint8_t by : acPayload)
        frame.Hex(by);
    return std::string(reinterpret_cast<const char*>(frame.Bytes()), frame.Len());
}

TEST(FramesTest, HexDigitAndValue) {
    EXPECT_EQ(HexDigit(0), '0');
    EXPECT_EQ(HexDigit(9), '9');
    EXPECT_EQ(HexDigit(10), 'A');
    EXPECT_EQ(HexDigit(15), 'F');
    EXPECT_EQ(HexDigit(0x1C), 'C');  // only the low nibble counts

    const std::string strDigits = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(HexValue(strDigits[i]), i);
        EXPECT_EQ(HexValue(static_cast<char>(std::tolower(strDigits[i]))), i);
    }
    // Never rejected: any character gives 0-15 by the same arithmetic.
    EXPECT_EQ(HexValue('G'), 0);
    EXPECT_EQ(HexValue('g'), 0);
    EXPECT_EQ(HexValue(':'), 10);
    EXPECT_EQ(HexValue('\xFF'), ((0xFF & 7) + 9) & 0x0F);
}

TEST(FramesTest, BytesAndWords) {
    EXPECT_EQ(static_cast<uint8_t>(HexToByte("a5")), 0xA5);
    EXPECT_EQ(static_cast<uint8_t>(HexToByte("A5")), 0xA5);
    EXPECT_EQ(HexToByte("80"), -128);  // a signed byte
    EXPECT_EQ(HexToByte(nullptr), 0);
    EXPECT_EQ(HexToWord("0380"), 0x0380);
    EXPECT_EQ(HexToWord("fFfF"), 0xFFFF);
    EXPECT_EQ(HexToWord("1C80"), 0x1C80);

    char ac[3] = {0x0C, 'x', 'y'};
    ByteToHex(ac);
    EXPECT_EQ(std::string(ac, 3), "0Cy");
    ac[0] = static_cast<char>(0xFE);
    ByteToHex(ac);
    EXPECT_EQ(std::string(ac, 2), "FE");
    ByteToHex(nullptr);
}

TEST(FramesTest, RequestsByteForByte) {
    EXPECT_EQ(BuildFrame('V', {}), std::string("\x3E\x31\x56\x0A"));
    EXPECT_EQ(BuildFrame('I', {3}), ">3I03\n");
    EXPECT_EQ(BuildFrame('I', {0}), ">3I00\n");
    EXPECT_EQ(BuildFrame('R', {0x00, 0x80, 3}), ">7R008003\n");
    EXPECT_EQ(BuildFrame('R', {0x00, 0x80, 3}).size(), 10u);
    EXPECT_EQ(BuildFrame('W', {0x00, 0x12, 0x01, 0xA5}), ">9W001201A5\n");
    EXPECT_EQ(BuildFrame('W', {0x00, 0x01, 80}), ">7W000150\n");
    EXPECT_EQ(BuildFrame('W', {0x00, 0x12, 1, 2, 3, 4, 5}).size(), 8u + 2 * 5);
    EXPECT_EQ(BuildFrame('L', {0x81}), ">3L81\n");

    // Answers echo another start byte and carry characters as they are; nothing goes
    // past the longest frame, whose length digit is F.
    CFrame answer('j', '#');
    answer.Char(':').Char('0');
    EXPECT_EQ(answer.Text(), "#3j:0");
    CFrame full('W');
    full.Word(0x0012);
    for (int i = 0; i < 8; ++i)
        full.Hex(static_cast<uint8_t>(i));
    EXPECT_EQ(full.Len(), kMaxFrameLen);
    EXPECT_EQ(full.Text(), ">FW00120001020304");
    full.Char('x');
    EXPECT_EQ(full.Len(), kMaxFrameLen);
}

TEST(FramesTest, ReadingReplies) {
    const std::string strInfo = ">Fi000802090C0380\n";
    ASSERT_EQ(strInfo.size(), static_cast<size_t>(kMaxFrameLen));
    EXPECT_EQ(HexValue(strInfo[1]), 15);
    EXPECT_EQ(HexToByte(&strInfo[3]), 0);     // index echoed
    EXPECT_EQ(HexToByte(&strInfo[5]), 8);     // E2 size
    EXPECT_EQ(HexToByte(&strInfo[7]), 2);     // InfoLen
    EXPECT_EQ(HexToByte(&strInfo[9]), 9);     // programs
    EXPECT_EQ(HexToByte(&strInfo[11]), 12);   // name length
    EXPECT_EQ(HexToWord(&strInfo[13]), 896);  // program size
    EXPECT_EQ(HexValue('f'), HexValue('F'));  // a length digit in either case
}
}  // namespace
