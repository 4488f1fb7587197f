// Seconds since the epoch, for seeding the random generator; injected for tests.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Seconds() = 0;
};

class SystemClock : public Clock {
public:
    uint32_t Seconds() override;
};
