// The port handle has three kinds of value, and callers rely on all three.
#pragma once

#include <cstdint>

using PortHandle = intptr_t;

constexpr PortHandle kNullHandle = 0;      // never opened, failed, or disconnected
constexpr PortHandle kInvalidHandle = -1;  // closed, or open in emulation
