// The command engine: starts an operation, builds and sends its request frames, keeps
// the reply time-out and reads what the port holds. Reply dispatch lives in
// ResponseDispatch.cpp.
#include "protocol/CommandEngine.h"

#include <algorithm>

#include "protocol/Frames.h"

namespace {

constexpr int kTimeoutTicks = 75;
constexpr int kMaxReadChunk = 7;   // bytes of an R reply with length digit F
constexpr int kMaxWriteChunk = 5;  // bytes of a W request with length digit F

// The last line of a text that holds any, without its leading blanks.
std::string LastLineOf(const std::string& strText) {
    const size_t nEnd = strText.find_last_not_of("\r\n");
    if (nEnd == std::string::npos)
        return {};
    const size_t nBreak = strText.find_last_of("\r\n", nEnd);
    const size_t nStart = nBreak == std::string::npos ? 0 : nBreak + 1;
    const size_t nFirst = strText.find_first_not_of(' ', nStart);
    return nFirst > nEnd ? std::string() : strText.substr(nFirst, nEnd + 1 - nFirst);
}

}  // namespace

void CCommandEngine::StartCmd(int nOperation, int nProgIndex, const std::string* pText) {
    if (!pListener->IsPortChosen() || !link.IsOpen()) {
        if (pText != nullptr)
            SetTrace(*pText + " --> COM port not opened");
        result = {CmdOutcome::Refused, LastLineOf(trace.GetTrace())};
        pListener->OnOutcome(CmdOutcome::Refused);
        return;
    }
    ClearCmdState();
    // A late reply to an earlier operation must not answer this one's requests.
    rx.Reset();
    link.DiscardInput();
    switch (nOperation) {
        case CmdJmpNormal:
        case CmdJmpConfig:
            nFrameCmd = nOperation;
            break;
        case CmdRdVersion:
            nFrameCmd = nOperation;
            strVersion.clear();
            break;
        case CmdRdStaticInfo:
            nFrameCmd = CmdRdStaticInfo;
            nSelProg = nProgIndex;
            break;
        case CmdRdSelProg:
        case CmdWrSelProg:
            nFrameCmd = CmdRdStaticInfo;
            nSelProg = nProgIndex;
            bStaticFirst = 1;
            break;
        case CmdRdAllProgs:
        case CmdWrAllProgs:
            nFrameCmd = CmdRdStaticInfo;
            nSelProg = 1;
            bStaticFirst = 1;
            break;
        case CmdRdMixLen:
            PrepareSubE2Cmd(SubE2RdMixLen, CmdRdMixLen);
            nFrameCmd = CmdRdMixLen;
            nSelProg = nProgIndex;
            break;
        case CmdWrMixLen:
            PrepareSubE2Cmd(SubE2WrMixLen, CmdWrMixLen);
            nFrameCmd = CmdWrMixLen;
            nSelProg = nProgIndex;
            break;
        default:
            break;
    }
    if (pText != nullptr) {
        std::string strText = *pText;
        if (bStaticFirst)
            strText += "\r\n--> read static E2 info\r\n";
        SetTrace(strText);
    }
    nCmd = nOperation;
    if (SendCmd(""))
        pListener->OnPollPeriod(kBusyPollMs);
}

bool CCommandEngine::SendCmd(std::string strPrefix) {
    if (!pListener->IsPortChosen() || !link.IsOpen()) {
        Fail(" --> COM port not opened", CmdOutcome::Refused);
        return false;
    }
    if (nFrameCmd == CmdUnknown) {
        Fail(" --> CmdUnknown not expected as parameter !!!", CmdOutcome::Refused);
        return false;
    }
    if (!BuildFrame(&strPrefix)) {
        Fail(strPrefix);
        return false;
    }
    if (!strPrefix.empty())
        AppendTrace(strPrefix);
    pListener->OnBusy();
    bBusy = 1;
    nTimeout = kTimeoutTicks;
    if (!WriteFrame(txFrame)) {
        // Given up within the write bound: no reply can come, so end now.
        Fail(link.IsFrameLeftQueued()
                 ? std::string(kTextFrameNotTaken) + kTextFrameLeftQueued
                 : std::string(kTextFrameNotTaken));
        return false;
    }
    return true;
}

bool CCommandEngine::BuildFrame(std::string* pMessage) {
    switch (nFrameCmd) {
        case CmdJmpNormal:
        case CmdJmpConfig:
            txFrame = CFrame('J');
            txFrame.Char(nFrameCmd == CmdJmpNormal ? 'N' : 'C');
            break;
        case CmdRdVersion:
            txFrame = CFrame('V');
            break;
        case CmdRdStaticInfo: {
            if (nSelProg > kProgCount) {
                if (pMessage != nullptr)
                    *pMessage = "--> error selected program index !!!";
                return false;
            }
            uint8_t byIndex = static_cast<uint8_t>(nSelProg);
            if (bStaticFirst) {
                byIndex = 0;
                bStaticFirst = 0;
            }
            txFrame = CFrame('I');
            txFrame.Hex(byIndex);
            break;
        }
        case CmdRdSelProg:
        case CmdRdMixLen:
            txFrame = CFrame('R');
            txFrame.Word(static_cast<uint16_t>(e2.Addr()))
                .Hex(static_cast<uint8_t>(e2.TakeChunk(kMaxReadChunk, false)));
            break;
        case CmdWrSelProg:
        case CmdWrMixLen: {
            txFrame = CFrame('W');
            txFrame.Word(static_cast<uint16_t>(e2.Addr()));
            const int nChunk = e2.TakeChunk(kMaxWriteChunk, true);
            for (int i = 0; i < nChunk; ++i)
                txFrame.Hex(e2.NextByte());
            break;
        }
        default:
            if (pMessage != nullptr)
                *pMessage = "--> unknown cmd !!!";
            return false;
    }
    return true;
}

bool CCommandEngine::WriteFrame(const CFrame& frame) {
    if (bTrace)
        AppendTrace("\r\n<< OUT: (" + frame.Text() + ")");
    link.AddTxCount(1);
    return link.Write(frame.Bytes(), frame.Len()) == frame.Len();
}

bool CCommandEngine::SendLeds(uint8_t byLeds) {
    CFrame frame('L');
    frame.Hex(byLeds);
    return WriteFrame(frame);
}

bool CCommandEngine::StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText) {
    if (PrepareSubE2Cmd(nSub, nFrameCmdArg) && SendCmd(strText))
        return true;
    Fail(" --> cmd-err");
    return false;
}

bool CCommandEngine::GoOnSubE2Cmd(int nSub) {
    if (nSub != nSubE2Cmd || (nFrameCmd != CmdRdSelProg && nFrameCmd != CmdWrSelProg)) {
        Fail("\r\n error GoOnSubE2Cmd() !!!");
        return false;
    }
    return SendCmd("");
}

bool CCommandEngine::TimeoutTick() {
    if (!bBusy)
        return false;
    if (nTimeout == 0)
        return true;
    --nTimeout;
    return false;
}

void CCommandEngine::EndCmd(CmdOutcome eOutcome) {
    pListener->OnPollPeriod(kIdlePollMs);
    pListener->OnIdle();
    // Only an operation that ran has an outcome; stopping playback ends none.
    const bool bRan = nCmd != CmdUnknown;
    ClearCmdState();
    if (!bRan)
        return;
    result = {eOutcome, LastLineOf(trace.GetTrace())};
    pListener->OnOutcome(eOutcome);
}

void CCommandEngine::ClearCmdState() {
    bBusy = 0;
    nCmd = CmdUnknown;
    nFrameCmd = CmdUnknown;
    nSubE2Cmd = SubE2None;
    bStaticFirst = 0;
}

int CCommandEngine::OnComTimer() {
    if (!link.IsOpen())
        return 0;
    if (TimeoutTick()) {
        Fail(" --> timeout", CmdOutcome::TimedOut);
    }
    return ReadWaitingBytes();
}

int CCommandEngine::ReadWaitingBytes() {
    // Only the bytes that were already waiting: the answer to a request sent from a
    // reply handler is read on the next call, so a long transfer never runs inside one
    // call and the window repaints between requests. They are taken in chunks, not a
    // call per byte: every call asks the port again, at the price of system calls.
    int nBudget = link.BytesWaiting();
    int nRead = 0;
    uint8_t abChunk[64];
    while (nBudget > 0) {
        const int nGot = link.Read(abChunk, std::min<int>(nBudget, sizeof abChunk));
        // A port that reports bytes but yields none (a vanished device) ends the poll.
        if (nGot <= 0)
            break;
        nBudget -= nGot;
        for (int i = 0; i < nGot; ++i) {
            ++nRead;
            if (!rx.PushRxByte(abChunk[i]))
                continue;
            HandleResponse(rx.Frame(), rx.Len());
            // A handler that closed the port: the rest came from the line it closed.
            if (!link.IsOpen())
                return nRead;
        }
    }
    if (nRead > 0)
        link.ExpectBytes(rx.BytesToComplete());
    return nRead;
}
