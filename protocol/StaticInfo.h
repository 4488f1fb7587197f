// What the Handheld reports in its static info: its EEPROM, its program count and its
// field sizes; zero until read. Where each program lies is kept in the store's records.
#pragma once

#include <cstdint>

struct StaticInfo {
    uint16_t InfoLen = 0;      // bytes of a program's length word
    uint16_t ProgNameLen = 0;  // bytes of a program's name field
    uint16_t ProgSize = 0;     // most step bytes a program may hold
    int E2KBytes = 0;          // EEPROM size in KiB, as reported (a signed byte)
    int ProgCount = 0;         // programs the Handheld holds, as reported
};
