// An emulated Handheld: answers request frames as the device would, from its own
// EEPROM image, and imitates its reaction time through the waiter.
#pragma once

#include <array>
#include <cstdint>

class Waiter;
class DebugSink;

constexpr int kE2ImageSize = 8192;

class CComEmulator {
public:
    CComEmulator(Waiter& waiter, DebugSink& debug) : waiter(waiter), debug(debug) {}

    // Answers one request; returns nCount.
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
    void PutAnswer(const uint8_t* pFrame, int nLen);
    void PutStatus(char chLetter, char chStatus);

    Waiter& waiter;
    DebugSink& debug;
    std::array<uint8_t, kE2ImageSize> acImage{};
    uint8_t bDefaultsPending = 1;
    uint8_t bNormalMode = 1;
    uint8_t acAnswer[20] = {};
    int nAnswerLen = 0;
    int nAnswerPos = 0;
};
