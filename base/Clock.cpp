#include "base/Clock.h"

#include <ctime>

uint32_t SystemClock::Seconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}
