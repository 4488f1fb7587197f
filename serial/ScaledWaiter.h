// A waiter that stretches or shrinks every pause by a factor; 0 answers at once.
// Lets the simulated Handheld react faster or slower than the real one.
#pragma once

#include "base/Waiter.h"

class ScaledWaiter : public Waiter {
public:
    // dScale 1: the real reaction times; 0: no pause at all.
    ScaledWaiter(Waiter& inner, double dScale) : inner(inner), dScale(dScale) {}
    void Wait(int nMilliseconds) override {
        const int nScaled = static_cast<int>(nMilliseconds * dScale + 0.5);
        if (nScaled > 0)
            inner.Wait(nScaled);
    }

private:
    Waiter& inner;
    double dScale;
};
