// Dispatch of complete frames by their letter: the engine finishes the simple commands
// itself and hands info, read and write replies to the memory-map logic and the
// EEPROM sequences.
#include "protocol/CommandEngine.h"
#include "protocol/Frames.h"

namespace {

constexpr int kAutoJmpPauseMs = 37;

}  // namespace

int CCommandEngine::CheckStatus(const uint8_t* pFrame, bool bReport) {
    if (pFrame[3] == ':' && pFrame[4] == '0') {
        if (bReport)
            AppendTrace("--> ok");
        return 1;
    }
    if (bReport)
        AppendTrace("--> error !!!");
    return 0;
}

void CCommandEngine::HandleResponse(uint8_t* pFrame, int nLen) {
    if (pFrame == nullptr || nLen <= 3 || pFrame[0] != kFrameStart)
        return;
    // One request at a time, answered in order: a reply nothing waits for came after
    // its request's time-out, and taken it would answer the next request.
    const bool bAwaited = IsAwaited(pFrame[2]);
    if (bTrace)
        AppendTrace("\r\n>> IN: (" + std::string(FrameText(pFrame), nLen - 1) + ")\r\n");
    if (!bAwaited) {
        if (bTrace)
            AppendTrace(kTextReplyDropped);
        return;
    }
    const int nL = HexValue(static_cast<char>(pFrame[1]));
    if (nL == 0)
        return;

    int nResult = 1;
    switch (pFrame[2]) {
        case 'L':
            pListener->OnLedsReported(static_cast<uint8_t>(HexToByte(FrameText(pFrame + 3))));
            break;
        case 'i':
            if (IsRunningFrameCmd(CmdRdStaticInfo))
                HandleInfoReply(pFrame, nL);
            break;
        case 'j':
            if (IsRunningCmd(CmdJmpNormal) || IsRunningCmd(CmdJmpConfig)) {
                nResult = CheckStatus(pFrame, true);
                EndCmd(nResult ? CmdOutcome::Finished : CmdOutcome::Failed);
            }
            break;
        case 'l':
            nResult = CheckStatus(pFrame, false);
            break;
        case 'r':
            nResult = E2ReadStatemachine(pFrame, nLen);
            break;
        case 'v':
            OnVersionReply(pFrame, nL);
            break;
        case 'w':
            nResult = E2WriteStatemachine(pFrame, nLen);
            break;
        default:
            EndCmd(CmdOutcome::Failed);
            pFrame[nL] = 0;
            AppendTrace(std::string(" --> (") + FrameText(pFrame) + ") ? ");
            nResult = 0;
            break;
    }
    link.AddRxCount(nResult);
}

bool CCommandEngine::IsAwaited(uint8_t byLetter) const {
    switch (byLetter) {
        case 'i':
        case 'j':
        case 'r':
        case 'v':
        case 'w':
            return bBusy && (txFrame.Bytes()[2] | 0x20) == byLetter;
        default:
            return true;
    }
}

void CCommandEngine::OnVersionReply(uint8_t* pFrame, int nL) {
    pFrame[2] = static_cast<uint8_t>(pFrame[2] - 0x20);
    AppendTrace(" --> " + std::string(FrameText(pFrame + 2), nL));
    if (!IsRunningCmd(CmdRdVersion))
        return;
    strVersion.assign(FrameText(pFrame + 3), nL - 1);

    if (bAutoJmpConfig) {
        if (pJmpConfigLabel == nullptr) {
            Fail("cmd: JMP_CONFIG not found in list!!!");
        } else {
            ClearCmdState();
            const std::string strText = trace.GetTrace() + "\r\n" + pJmpConfigLabel + ": ";
            StartCmd(CmdJmpConfig, -1, &strText);
            waiter.Wait(kAutoJmpPauseMs);
        }
    } else {
        EndCmd();
    }
    bAutoJmpConfig = 0;
}
