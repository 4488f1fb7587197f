#include "base/Waiter.h"

#include <chrono>
#include <thread>

void SleepWaiter::Wait(int nMilliseconds) {
    if (nMilliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
    }
}
