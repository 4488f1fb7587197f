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

}  // namespace

void CCommandEngine::StartCmd(int nOperation, int nProgIndex, const std::string* pText) {
    if (!pListener->IsPortChosen() || !link.IsOpen()) {
        if (pText != nullptr)
            trace.SetTrace(*pText + " --> COM port not opened");
        pListener->OnOutcome(CmdOutcome::Refused);
        return;
    }
    ClearCmdState();
    switch (nOperation) {
        case CmdJmpNormal:
        case CmdJmpConfig:
        case CmdRdVersion:
            nFrameCmd = nOperation;
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
        trace.SetTrace(strText);
    }
    nCmd = nOperation;
    if (SendCmd(""))
        pListener->OnPollPeriod(kBusyPollMs);
}

bool CCommandEngine::SendCmd(std::string strPrefix) {
    if (!pListener->IsPortChosen() || !link.IsOpen()) {
        AppendTrace(" --> COM port not opened");
        EndCmd(CmdOutcome::Refused);
        return false;
    }
    if (nFrameCmd == CmdUnknown) {
        AppendTrace(" --> CmdUnknown not expected as parameter !!!");
        EndCmd(CmdOutcome::Refused);
        return false;
    }
    if (!BuildFrame(&strPrefix)) {
        AppendTrace(strPrefix);
        EndCmd(CmdOutcome::Failed);
        return false;
    }
    if (!strPrefix.empty())
        AppendTrace(strPrefix);
    pListener->OnBusy();
    bBusy = 1;
    nTimeout = kTimeoutTicks;
    const auto* pText = reinterpret_cast<const char*>(acTxFrame);
    const int nLen = static_cast<int>(std::char_traits<char>::length(pText));
    if (WriteFrame(acTxFrame, nLen) < nLen) {
        // Given up within the write bound: no reply can come, so end now.
        AppendTrace(kTextFrameNotTaken);
        EndCmd(CmdOutcome::Failed);
        return false;
    }
    return true;
}

bool CCommandEngine::BuildFrame(std::string* pMessage) {
    char* p = reinterpret_cast<char*>(acTxFrame);
    int n = 0;  // length up to and including the line feed
    auto putHexByte = [&](uint8_t by) {
        p[n] = static_cast<char>(by);
        ByteToHex(p + n);
        n += 2;
    };
    switch (nFrameCmd) {
        case CmdJmpNormal:
        case CmdJmpConfig:
            p[0] = '>';
            p[1] = '2';
            p[2] = 'J';
            p[3] = nFrameCmd == CmdJmpNormal ? 'N' : 'C';
            n = 4;
            break;
        case CmdRdVersion:
            p[0] = '>';
            p[1] = '1';
            p[2] = 'V';
            n = 3;
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
            p[0] = '>';
            p[1] = '3';
            p[2] = 'I';
            n = 3;
            putHexByte(byIndex);
            break;
        }
        case CmdRdSelProg:
        case CmdRdMixLen:
            nChunk = std::clamp(nE2Len, 0, kMaxReadChunk);
            p[0] = '>';
            p[1] = '7';
            p[2] = 'R';
            n = 3;
            putHexByte(static_cast<uint8_t>(nE2Addr >> 8));
            putHexByte(static_cast<uint8_t>(nE2Addr));
            putHexByte(static_cast<uint8_t>(nChunk));
            break;
        case CmdWrSelProg:
        case CmdWrMixLen:
            nChunk = std::clamp(nE2Len, 0, kMaxWriteChunk);
            if (pE2Data == nullptr)
                nChunk = 0;
            p[0] = '>';
            p[2] = 'W';
            n = 3;
            putHexByte(static_cast<uint8_t>(nE2Addr >> 8));
            putHexByte(static_cast<uint8_t>(nE2Addr));
            for (int i = 0; i < nChunk; ++i)
                putHexByte(*pE2Data++);
            p[1] = HexDigit(static_cast<unsigned>(2 * nChunk + 5));
            break;
        default:
            if (pMessage != nullptr)
                *pMessage = "--> unknown cmd !!!";
            return false;
    }
    p[n++] = kFrameEnd;
    p[n] = 0;
    return true;
}

int CCommandEngine::WriteFrame(const uint8_t* pBytes, int nCount) {
    if (bTrace && nCount > 0) {
        AppendTrace("\r\n<< OUT: (" +
                    std::string(reinterpret_cast<const char*>(pBytes), nCount - 1) + ")");
    }
    link.AddTxCount(1);
    return link.Write(pBytes, nCount);
}

bool CCommandEngine::StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText) {
    if (PrepareSubE2Cmd(nSub, nFrameCmdArg) && SendCmd(strText))
        return true;
    AppendTrace(" --> cmd-err");
    EndCmd(CmdOutcome::Failed);
    return false;
}

bool CCommandEngine::GoOnSubE2Cmd(int nSub) {
    if (nSub != nSubE2Cmd || (nFrameCmd != CmdRdSelProg && nFrameCmd != CmdWrSelProg)) {
        AppendTrace("\r\n error GoOnSubE2Cmd() !!!");
        EndCmd(CmdOutcome::Failed);
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
    if (bRan)
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
        AppendTrace(" --> timeout");
        EndCmd(CmdOutcome::TimedOut);
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
