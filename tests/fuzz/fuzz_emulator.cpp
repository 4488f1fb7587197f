// The emulated Handheld on arbitrary requests: the request is copied into a buffer of
// exactly its size, so a read past its count is caught by AddressSanitizer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "app/DebugSink.h"
#include "app/Waiter.h"
#include "serial/ComEmulator.h"

namespace {
class NoWait : public Waiter {
public:
    void Wait(int) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    static NoWait waiter;
    static NullDebugSink sink;
    CComEmulator emulator(waiter, sink);
    emulator.ResetEmulator();
    // Frames separated by line feeds, each handed over as one request; the first
    // always switches to config mode so every letter is reachable.
    const uint8_t acConfig[] = {'>', '2', 'J', 'C', '\n'};
    emulator.HandleFrame(acConfig, sizeof acConfig);
    size_t nStart = 0;
    for (size_t i = 0; i <= nSize; ++i) {
        if (i == nSize || pData[i] == '\n') {
            const size_t nLen = i - nStart + (i < nSize ? 1 : 0);
            auto pRequest = std::make_unique<uint8_t[]>(nLen ? nLen : 1);
            if (nLen) std::memcpy(pRequest.get(), pData + nStart, nLen);
            if (emulator.HandleFrame(pRequest.get(), static_cast<int>(nLen)) !=
                static_cast<int>(nLen))
                __builtin_trap();
            const int nWaiting = emulator.AnswerBytesWaiting();
            if (nWaiting < 0 || nWaiting > 18) __builtin_trap();
            uint8_t acAnswer[32];
            int nRead = emulator.ReadAnswer(acAnswer, sizeof acAnswer);
            if (nRead != nWaiting) __builtin_trap();
            nStart = i + 1;
        }
    }
    return 0;
}
