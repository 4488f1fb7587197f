#include "cli/EventLoop.h"

#include <algorithm>

#include "cli/DeviceLink.h"
#include "cli/Platform.h"

namespace {

// A link's two timers as the loop sees them: communication (0) and playback (1).
constexpr int kTimers = 2;

int PeriodOf(const CDeviceLink& link, int nTimer) {
    return nTimer == 0 ? link.TimerPeriodMs() : link.PlayPeriodMs();
}

bool TakeRestart(CDeviceLink& link, int nTimer) {
    return nTimer == 0 ? link.TakeTimerRestart() : link.TakePlayRestart();
}

void Fire(CDeviceLink& link, int nTimer) {
    if (nTimer == 0)
        link.OnTimer();
    else
        link.OnPlayTick();
}

}  // namespace

void CEventLoop::Turn(const std::vector<CDeviceLink*>& aLinks, int nMaxWaitMs) {
    Clock::time_point tNow = Now();
    Clock::time_point tWake = tNow + std::chrono::milliseconds(nMaxWaitMs);
    std::vector<int> aFds;
    std::vector<CDeviceLink*> aWatched;
    for (CDeviceLink* pLink : aLinks) {
        for (int nTimer = 0; nTimer < kTimers; ++nTimer) {
            // A window timer counts its period from the moment it is (re)started.
            const auto key = std::make_pair(pLink, nTimer);
            const int nPeriodMs = PeriodOf(*pLink, nTimer);
            if (TakeRestart(*pLink, nTimer) || mapDue.find(key) == mapDue.end())
                mapDue[key] = tNow + std::chrono::milliseconds(nPeriodMs);
            if (nPeriodMs > 0)
                tWake = std::min(tWake, mapDue[key]);
        }
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
        for (int nTimer = 0; nTimer < kTimers; ++nTimer) {
            const int nPeriodMs = PeriodOf(*pLink, nTimer);
            Clock::time_point& tDue = mapDue[std::make_pair(pLink, nTimer)];
            if (nPeriodMs <= 0 || tNow < tDue)
                continue;
            // A late timer fires once and counts its next period from now.
            tDue += std::chrono::milliseconds(nPeriodMs);
            if (tDue < tNow)
                tDue = tNow + std::chrono::milliseconds(nPeriodMs);
            Fire(*pLink, nTimer);
        }
    }
}
