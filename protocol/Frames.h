// The frame codec: hex conversions used for every field of every frame, the frame
// limits, and the builder every frame on the line is made with (requests, the LED
// request, the emulated Handheld's answers).
#pragma once

#include <cstdint>
#include <string>

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

// A frame built field by field: the start byte, the length digit, the letter, then
// characters and hex bytes; the length digit (the characters after it) and the line
// feed follow every append. Fields past the longest frame are not taken.
class CFrame {
public:
    explicit CFrame(char chLetter, uint8_t byStart = kFrameStart) : ac{byStart, '0'} {
        Char(chLetter);
    }
    // One character as it is.
    CFrame& Char(char ch);
    // A byte as two hex digits.
    CFrame& Hex(uint8_t by);
    // A word as four hex digits, high byte first.
    CFrame& Word(uint16_t w) {
        return Hex(static_cast<uint8_t>(w >> 8)).Hex(static_cast<uint8_t>(w));
    }

    // The frame with its line feed, Len() bytes.
    const uint8_t* Bytes() const { return ac; }
    int Len() const { return n + 1; }
    // Without the line feed, as the trace shows a frame.
    std::string Text() const { return std::string(reinterpret_cast<const char*>(ac), n); }

private:
    uint8_t ac[kMaxFrameLen + 1] = {};
    int n = 2;  // characters before the line feed
};
