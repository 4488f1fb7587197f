// Checks shared by the fuzz targets: a failed check stops the run as a finding.
#pragma once

#include <cstdint>

inline void Check(bool bOk) {
    if (!bOk)
        __builtin_trap();
}

// The value of a hex digit as this program writes them (upper case), or -1.
inline int HexNibble(uint8_t by) {
    if (by >= '0' && by <= '9')
        return by - '0';
    if (by >= 'A' && by <= 'F')
        return by - 'A' + 10;
    return -1;
}
