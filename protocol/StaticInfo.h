// Field sizes the Handheld reports in its static info; zero until read.
#pragma once

#include <cstdint>

struct StaticInfo {
    uint16_t InfoLen = 0;      // bytes of a program's length word
    uint16_t ProgNameLen = 0;  // bytes of a program's name field
    uint16_t ProgSize = 0;     // most step bytes a program may hold
};
