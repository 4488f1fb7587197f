// What timer 1 plays; cleared with every file load.
#pragma once

#include <cstdint>

struct PlayState {
    uint8_t CurProg = 0;    // 0..8 a program, 9 Random, 10 MIX
    uint16_t CurSteps = 0;  // steps of the program being played
    uint16_t CurPos = 0;    // next step to show
    const uint8_t* CurData = nullptr;
    int32_t TimerInterval = 0;  // timer 1 period recorded at start (ms)
    uint8_t MixProg = 0;        // what MIX plays now: 0..8, 9 Random
    uint16_t MixCount = 0;      // Random steps since MIX switched to Random
};
