// The emulated Handheld on arbitrary requests: the request is copied into a buffer of
// exactly its size, so a read past its count is caught by AddressSanitizer. After
// each request: the answer is one well-formed frame, only a W request changes the
// EEPROM image and only the bytes it names, only a J request changes the mode.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "protocol/Frames.h"
#include "serial/ComEmulator.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/TestDoubles.h"

namespace {
// The answer: the request's byte 0, a length digit L, L characters, a line feed.
void CheckAnswer(const uint8_t* pRequest, const uint8_t* pAnswer, int nLen) {
    if (nLen == 0)
        return;
    Check(nLen >= 4 && pAnswer[0] == pRequest[0] && pAnswer[nLen - 1] == '\n');
    Check(HexNibble(pAnswer[1]) + 3 == nLen);
}

// Bytes of the image that a request may change: [nFirst, nFirst + nCount).
void CheckImage(const std::array<uint8_t, kE2ImageSize>& before,
                const std::array<uint8_t, kE2ImageSize>& after, size_t nFirst, size_t nCount) {
    for (size_t a = 0; a < kE2ImageSize; ++a) {
        if (a < nFirst || a >= nFirst + nCount)
            Check(before[a] == after[a]);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    static NoWaiter waiter;
    static NullDebugSink sink;
    CComEmulator emulator(waiter, sink);
    emulator.ResetEmulator();
    // Frames separated by line feeds, each handed over as one request; the first
    // always switches to config mode so every letter is reachable.
    const uint8_t acConfig[] = {'>', '2', 'J', 'C', '\n'};
    emulator.HandleFrame(acConfig, sizeof acConfig);
    uint8_t acConfigAnswer[32];
    emulator.ReadAnswer(acConfigAnswer, sizeof acConfigAnswer);
    size_t nStart = 0;
    for (size_t i = 0; i <= nSize; ++i) {
        if (i == nSize || pData[i] == '\n') {
            const size_t nLen = i - nStart + (i < nSize ? 1 : 0);
            auto pRequest = std::make_unique<uint8_t[]>(nLen ? nLen : 1);
            if (nLen)
                std::memcpy(pRequest.get(), pData + nStart, nLen);
            const std::array<uint8_t, kE2ImageSize> before = emulator.Image();
            const bool bNormalBefore = emulator.IsNormalMode();
            Check(emulator.HandleFrame(pRequest.get(), static_cast<int>(nLen)) ==
                  static_cast<int>(nLen));
            const int nWaiting = emulator.AnswerBytesWaiting();
            Check(nWaiting >= 0 && nWaiting <= 18);
            uint8_t acAnswer[32];
            const int nRead = emulator.ReadAnswer(acAnswer, sizeof acAnswer);
            Check(nRead == nWaiting);
            CheckAnswer(pData + nStart, acAnswer, nRead);

            const uint8_t chLetter = nLen >= 3 ? pData[nStart + 2] : 0;
            if (chLetter != 'J')
                Check(emulator.IsNormalMode() == bNormalBefore);
            const bool bGood = nRead == 6 && acAnswer[3] == ':' && acAnswer[4] == '0';
            if (chLetter == 'W' && bGood) {
                // The address as the device reads it, then the bytes up to the line feed.
                const size_t nAddress =
                    HexToWord(reinterpret_cast<const char*>(pData + nStart + 3));
                CheckImage(before, emulator.Image(), nAddress, (nLen - 8) / 2);
            } else if (!(chLetter == 'S' && bGood)) {
                CheckImage(before, emulator.Image(), 0, 0);
            }
            nStart = i + 1;
        }
    }
    return 0;
}
