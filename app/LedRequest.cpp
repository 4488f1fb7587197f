// LED requests to the Handheld: sent at once while the line is free, held while a
// device operation runs.
#include "app/GlowdeskDlg.h"
#include "app/TraceTexts.h"
#include "protocol/Frames.h"

void CGlowdeskDlg::SendLedRequest(uint8_t byValue) {
    if (bBusy) {
        // An L request in the middle of a transfer would put a second request on the
        // line before the awaited reply; the panel has already changed.
        ledHold.Hold(byValue);
        return;
    }
    uint8_t acFrame[8] = {'>', '3', 'L', byValue, 0, '\n', 0};
    ByteToHex(reinterpret_cast<char*>(acFrame + 3));
    const bool bTaken = WriteFrame(hComPort, acFrame, 6) == 6;
    if (!bTaken && !ledHold.bStalled)
        AppendTrace(kTextFrameNotTaken);
    ledHold.bStalled = !bTaken;
}

void CGlowdeskDlg::SendHeldLeds() {
    const std::optional<uint8_t> byHeld = ledHold.Take();
    if (byHeld && hComPort != kNullHandle)
        SendLedRequest(*byHeld);
}
