// Small stand-ins for the dialog's services: a waiter that records instead of
// sleeping, a fixed clock, a debug sink that keeps its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/DebugSink.h"
#include "base/Waiter.h"

class RecordingWaiter : public Waiter {
public:
    void Wait(int nMilliseconds) override { aWaits.push_back(nMilliseconds); }
    std::vector<int> aWaits;
};

// Returns at once, remembering nothing (for runs of millions of waits).
class NoWaiter : public Waiter {
public:
    void Wait(int) override {}
};

class FixedClock : public Clock {
public:
    uint32_t Seconds() override { return nSeconds; }
    uint32_t nSeconds = 12345;
};

class RecordingDebugSink : public DebugSink {
public:
    void Output(const std::string& s) override { aLines.push_back(s); }
    std::vector<std::string> aLines;
};
