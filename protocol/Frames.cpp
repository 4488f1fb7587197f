#include "protocol/Frames.h"

char HexDigit(unsigned nValue) {
    return "0123456789ABCDEF"[nValue & 0x0F];
}

int HexValue(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    // Letters have bit 0x40 set: 'A'/'a' & 7 = 1, + 9 gives 10. Never rejects a character.
    if (c & 0x40)
        return ((c & 7) + 9) & 0x0F;
    return c & 0x0F;
}

int8_t HexToByte(const char* p) {
    if (p == nullptr)
        return 0;
    return static_cast<int8_t>((HexValue(p[0]) << 4) | HexValue(p[1]));
}

uint16_t HexToWord(const char* p) {
    if (p == nullptr)
        return 0;
    const auto byHigh = static_cast<uint8_t>(HexToByte(p));
    const auto byLow = static_cast<uint8_t>(HexToByte(p + 2));
    return static_cast<uint16_t>((byHigh << 8) | byLow);
}

void ByteToHex(char* p) {
    if (p == nullptr)
        return;
    const auto by = static_cast<uint8_t>(*p);
    p[0] = HexDigit(by >> 4);
    p[1] = HexDigit(by);
}

CFrame& CFrame::Char(char ch) {
    if (n + 1 >= kMaxFrameLen)
        return *this;
    ac[n++] = static_cast<uint8_t>(ch);
    ac[1] = static_cast<uint8_t>(HexDigit(static_cast<unsigned>(n - 2)));
    ac[n] = kFrameEnd;
    return *this;
}

CFrame& CFrame::Hex(uint8_t by) {
    if (n + 2 >= kMaxFrameLen)
        return *this;
    return Char(HexDigit(by >> 4u)).Char(HexDigit(by));
}
