#include "cli/EventLoop.h"

#include <algorithm>

#include "cli/DeviceLink.h"
#include "cli/Platform.h"

void CEventLoop::Turn(const std::vector<CDeviceLink*>& aLinks, int nMaxWaitMs) {
    Clock::time_point tNow = Now();
    Clock::time_point tWake = tNow + std::chrono::milliseconds(nMaxWaitMs);
    std::vector<int> aFds;
    std::vector<CDeviceLink*> aWatched;
    for (CDeviceLink* pLink : aLinks) {
        // A window timer counts its period from the moment it is (re)started.
        if (pLink->TakeTimerRestart() || mapDue.find(pLink) == mapDue.end())
            mapDue[pLink] = tNow + std::chrono::milliseconds(pLink->TimerPeriodMs());
        if (pLink->TimerPeriodMs() > 0)
            tWake = std::min(tWake, mapDue[pLink]);
        if (pLink->Descriptor() >= 0) {
            aFds.push_back(pLink->Descriptor());
            aWatched.push_back(pLink);
        }
    }

    const auto wait = std::max(Clock::duration::zero(), tWake - tNow);
    if (bSkipIdle && aFds.empty()) {
        skipped += wait;
    } else {
        const auto nWaitMs = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
        const std::vector<bool> aReady = WaitForInput(aFds, static_cast<int>(nWaitMs));
        for (size_t i = 0; i < aReady.size(); ++i) {
            if (aReady[i])
                aWatched[i]->OnReadable();
        }
    }

    tNow = Now();
    for (CDeviceLink* pLink : aLinks) {
        const int nPeriodMs = pLink->TimerPeriodMs();
        Clock::time_point& tDue = mapDue[pLink];
        if (nPeriodMs <= 0 || tNow < tDue)
            continue;
        // A late timer fires once and counts its next period from now.
        tDue += std::chrono::milliseconds(nPeriodMs);
        if (tDue < tNow)
            tDue = tNow + std::chrono::milliseconds(nPeriodMs);
        pLink->OnTimer();
    }
}
