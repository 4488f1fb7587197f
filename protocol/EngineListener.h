// What the command engine reports to its host, synchronously and in the order it
// happens; a handler may start the next operation.
#pragma once

#include <cstdint>

// How a device operation ended.
enum class CmdOutcome {
    Finished,  // the device answered every request as expected
    Failed,    // a reply was wrong or unexpected, or the device reported an error
    TimedOut,  // a reply did not come in time
    Refused,   // not started, or ended before a request went out (no port, no command)
    Stopped,   // ended by the user or the host
};

class EngineListener {
public:
    virtual ~EngineListener() = default;
    // Asked before every request: whether the user's port choice still stands.
    virtual bool IsPortChosen() = 0;
    // A request went out; the operation runs.
    virtual void OnBusy() = 0;
    // The receive poll period the engine wants now (ms).
    virtual void OnPollPeriod(int nPeriodMs) = 0;
    // The engine is idle again (after OnPollPeriod).
    virtual void OnIdle() = 0;
    // The device reported the LEDs it shows.
    virtual void OnLedsReported(uint8_t byLeds) = 0;
    // Entry nEntry of the program list changed (0-8 programs, 10 MIX).
    virtual void OnProgEntryChanged(int nEntry) = 0;
    // An operation ended; the engine is already idle.
    virtual void OnOutcome(CmdOutcome eOutcome) = 0;
};
