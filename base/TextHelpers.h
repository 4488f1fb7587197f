// Small text helpers shared by the parts that read device and file text.
#pragma once

// A character the device's names may hold: printable 7-bit ASCII.
inline bool IsPrintable(int ch) {
    return ch >= 0x20 && ch <= 0x7E;
}
