// LED requests to the Handheld: sent at once while the line is free, held while a
// device operation runs.
#include "app/Session.h"

void CSession::SendLedRequest(uint8_t byValue) {
    if (engine.IsBusy()) {
        // An L request in the middle of a transfer would put a second request on the
        // line before the awaited reply; the panel has already changed.
        ledHold.Hold(byValue);
        return;
    }
    const bool bTaken = engine.SendLeds(byValue);
    if (!bTaken && !ledHold.bStalled)
        trace.AppendTrace(CCommandEngine::kTextFrameNotTaken);
    ledHold.bStalled = !bTaken;
}

void CSession::SendHeldLeds() {
    const std::optional<uint8_t> byHeld = ledHold.Take();
    // An operation that ended because the line took nothing: held changes are not
    // tried on it either.
    if (byHeld && link.IsOpen() && !link.IsStalled())
        SendLedRequest(*byHeld);
}
