// The pseudo-random generator of the Windows C runtime, so that a seed gives the
// same sequence on every platform and compiler. Shared by playback and the about box.
#pragma once

#include <cstdint>

class CRand {
public:
    void Seed(uint32_t nSeed) { nState = nSeed; }
    // 0 ... 32767
    int Next() {
        nState = nState * 214013u + 2531011u;
        return static_cast<int>((nState >> 16) & 0x7FFF);
    }

private:
    uint32_t nState = 1;
};
