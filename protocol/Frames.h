// Hex conversions used for every field of every frame, and the frame limits.
#pragma once

#include <cstdint>

constexpr char kFrameStart = '>';
constexpr char kFrameEnd = '\n';
constexpr int kMaxFrameLen = 18;  // '>' + length digit + 15 + LF

// "0123456789ABCDEF"[nValue & 0x0F]
char HexDigit(unsigned nValue);
// 4-bit value of any character, never rejecting one ('G' gives 0).
int HexValue(char ch);
// Two characters as a signed byte; null gives 0.
int8_t HexToByte(const char* p);
// Four characters, high byte first.
uint16_t HexToWord(const char* p);
// A frame buffer's bytes as the characters the hex readers take.
inline const char* FrameText(const uint8_t* p) {
    return reinterpret_cast<const char*>(p);
}
// Rewrites *p and p[1] as two hex digits of the byte *p; null does nothing.
void ByteToHex(char* p);
