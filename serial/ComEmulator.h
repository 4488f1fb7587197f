// An emulated Handheld: answers request frames as the device would, from its own
// EEPROM image, and imitates its reaction time through the waiter.
//
// Requests are never rejected for their characters, but nothing outside the image is
// read or written, and nothing beyond a request's count is read:
// - R and W that would reach past 0x1FFF answer status '1' and touch nothing;
// - a request too short to carry its parameters answers status '1' (I, L, R, S, W) or
//   gets no answer (J without its mode letter, anything without a letter).
#pragma once

#include <array>
#include <cstdint>

#include "protocol/Frames.h"

class Waiter;
class DebugSink;

constexpr int kE2ImageSize = 8192;
// The value an S request must carry to write the factory contents again.
constexpr uint8_t kResetByte = 0xA5;

class CComEmulator {
public:
    CComEmulator(Waiter& waiter, DebugSink& debug) : waiter(waiter), debug(debug) {}

    // Answers one request (a whole frame, line feed included); returns nCount.
    int HandleFrame(const uint8_t* pRequest, int nCount);
    int AnswerBytesWaiting() const { return nAnswerLen; }
    int ReadAnswer(uint8_t* pBuf, int nSize);
    // Empties the answer queue; the first time only, loads the factory image. Returns 1.
    int ResetEmulator();
    // Writes the factory contents over the image.
    bool LoadDefaults();
    void TraceLeds(uint8_t byLeds);

    bool IsNormalMode() const { return bNormalMode != 0; }
    std::array<uint8_t, kE2ImageSize>& Image() { return acImage; }

private:
    void PutAnswer(const CFrame& frame);
    // An answer to a request of letter chLetter, as far as its letter.
    CFrame Answer(char chLetter) const;
    void PutStatus(char chLetter, char chStatus);

    Waiter& waiter;
    DebugSink& debug;
    std::array<uint8_t, kE2ImageSize> acImage{};
    uint8_t bDefaultsPending = 1;
    uint8_t bNormalMode = 1;
    uint8_t acAnswer[20] = {};
    uint8_t byEcho = '>';  // byte 0 of the request being answered
    int nAnswerLen = 0;
    int nAnswerPos = 0;
};
