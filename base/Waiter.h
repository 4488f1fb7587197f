// Blocking pauses (the emulated Handheld's reaction time, the pause after a connect)
// go through a waiter, so tests can record them instead of sleeping.
#pragma once

class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void Wait(int nMilliseconds) = 0;
};

// Sleeps the calling thread.
class SleepWaiter : public Waiter {
public:
    void Wait(int nMilliseconds) override;
};
