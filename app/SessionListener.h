// What a session reports to its front end. Every report has a harmless default, so a
// front end without a window (a command-line tool, a test, a benchmark) overrides only
// what it needs. Reports are synchronous and come in the order things happen.
#pragma once

#include <cstdint>
#include <string>

#include "base/TraceLog.h"
#include "protocol/EngineListener.h"

class SessionListener : public TraceListener {
public:
    // The trace log (TraceListener)
    void OnTraceSet(const std::string&, bool) override {}
    void OnTraceAppend(const std::string&, bool) override {}

    // The link: frame counters (bReset: back to 0) and the descriptor to watch (-1: none)
    virtual void OnRxCount(int /*nCount*/, bool /*bReset*/) {}
    virtual void OnTxCount(int /*nCount*/, bool /*bReset*/) {}
    virtual void OnWatchPort(int /*nFd*/) {}

    // A connect opened its port; the version request goes out next.
    virtual void OnPortOpened() {}

    // The command engine
    // Asked before every request: whether the user's port choice still stands.
    virtual bool IsPortChosen() { return true; }
    virtual void OnBusy() {}
    virtual void OnIdle() {}
    // The receive poll period wanted now (ms); the session's OnComTimer at this rate.
    virtual void OnPollPeriod(int /*nPeriodMs*/) {}
    virtual void OnOutcome(CmdOutcome /*eOutcome*/) {}
    // One request answered as expected; nTotal is 0 when the count is not known ahead.
    virtual void OnProgress(int /*nDone*/, int /*nTotal*/) {}

    // The program store and files
    // Entry nEntry of the program list changed (0-8 programs, 9 Random, 10 MIX).
    virtual void OnProgEntryChanged(int /*nEntry*/) {}
    virtual void OnLoadBegin(const std::string& /*strPath*/) {}
    virtual void OnLoadEnd() {}
    virtual void OnStoreFailed(const std::string& /*strMessage*/) {}
    // Programs changed here and kept nowhere else came to be (bAny) or are all kept now.
    virtual void OnUnsavedWork(bool /*bAny*/) {}

    // The LED panel and playback
    // LEDs the user holds lit, ORed into every step shown.
    virtual uint8_t HeldLeds() { return 0; }
    virtual void OnShowLeds(uint8_t /*byValue*/) {}
    virtual void SetPlayTimer(int /*nPeriodMs*/) {}
    virtual void KillPlayTimer() {}
    // The step time chosen now; false when the front end has no such control.
    virtual bool GetSpeed(int& /*nPos*/) { return false; }
    virtual bool HasRunIcon() { return false; }
    virtual void ShowRunIcon(bool /*bLit*/) {}
    virtual void OnPlaybackStarted() {}
};
