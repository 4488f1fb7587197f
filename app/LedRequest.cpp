// LED requests to the Handheld: sent at once while the line is free, held while a
// device operation runs.
#include "app/Session.h"
#include "protocol/Frames.h"

void CSession::SendLedRequest(uint8_t byValue) {
    if (engine.IsBusy()) {
        // An L request in the middle of a transfer would put a second request on the
        // line before the awaited reply; the panel has already changed.
        ledHold.Hold(byValue);
        return;
    }
    uint8_t acFrame[8] = {'>', '3', 'L', byValue, 0, '\n', 0};
    ByteToHex(reinterpret_cast<char*>(acFrame + 3));
    const bool bTaken = engine.WriteFrame(acFrame, 6) == 6;
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
