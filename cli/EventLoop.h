// One event loop for any number of links, without threads: each turn waits for the
// earliest timer of any link or for input on any watched port, and hands it over.
#pragma once

#include <chrono>
#include <map>
#include <utility>
#include <vector>

class CDeviceLink;

class CEventLoop {
public:
    using Clock = std::chrono::steady_clock;

    // bSkipIdle: when no port is watched, time jumps to the next timer instead of being
    // waited for. Right for emulated Handhelds, which answer at once and know no time.
    explicit CEventLoop(bool bSkipIdle = false) : bSkipIdle(bSkipIdle) {}

    // One turn; waits at most nMaxWaitMs.
    void Turn(const std::vector<CDeviceLink*>& aLinks, int nMaxWaitMs = 100);
    // The loop's time: real time, plus what was skipped.
    Clock::time_point Now() const { return Clock::now() + skipped; }

private:
    bool bSkipIdle;
    Clock::duration skipped{};
    // The next tick of each link's timers (communication 0, playback 1).
    std::map<std::pair<CDeviceLink*, int>, Clock::time_point> mapDue;
};
