// The command engine: starts an operation, builds and sends its request frames, keeps
// the reply time-out and polls the port on timer 2 and, on a real port, as soon as the
// window reports input. Reply dispatch lives in
// ResponseDispatch.cpp, the receive frame assembler in RxAssembler.cpp.
#include <algorithm>

#include "app/GlowdeskDlg.h"
#include "app/TraceTexts.h"
#include "protocol/Frames.h"

namespace {

constexpr int kTimeoutTicks = 75;
constexpr int kBusyPollMs = 8;
constexpr int kIdlePollMs = 100;
constexpr int kMaxReadChunk = 7;   // bytes of an R reply with length digit F
constexpr int kMaxWriteChunk = 5;  // bytes of a W request with length digit F

}  // namespace

void CGlowdeskDlg::StartCmd(int nOperation, int nProgIndex, const std::string* pText) {
    if (view.ComboGetSel(IDC_COMPORT) < 0 || hComPort == kNullHandle) {
        if (pText != nullptr)
            SetTrace(*pText + " --> COM port not opened");
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
        SetTrace(strText);
    }
    nCmd = nOperation;
    if (SendCmd(""))
        view.SetTimer(kTimerCom, kBusyPollMs);
}

bool CGlowdeskDlg::SendCmd(std::string strPrefix) {
    if (view.ComboGetSel(IDC_COMPORT) < 0 || hComPort == kNullHandle) {
        AppendTrace(" --> COM port not opened");
        EndCmd();
        return false;
    }
    if (nFrameCmd == CmdUnknown) {
        AppendTrace(" --> CmdUnknown not expected as parameter !!!");
        EndCmd();
        return false;
    }
    if (!BuildFrame(&strPrefix)) {
        AppendTrace(strPrefix);
        EndCmd();
        return false;
    }
    if (!strPrefix.empty())
        AppendTrace(strPrefix);
    view.SetText(IDC_START, "stop");
    bBusy = 1;
    nTimeout = kTimeoutTicks;
    const auto* pText = reinterpret_cast<const char*>(acTxFrame);
    const int nLen = static_cast<int>(std::char_traits<char>::length(pText));
    if (WriteFrame(hComPort, acTxFrame, nLen) < nLen) {
        // Given up within the write bound: no reply can come, so end now. The line is
        // stopped, so held LED changes are not tried on it either.
        AppendTrace(kTextFrameNotTaken);
        ledHold.Drop();
        EndCmd();
        return false;
    }
    return true;
}

bool CGlowdeskDlg::BuildFrame(std::string* pMessage) {
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
            if (nSelProg > 9) {
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

int CGlowdeskDlg::WriteFrame(PortHandle& hPort, const uint8_t* pBytes, int nCount) {
    if (bTrace && nCount > 0) {
        AppendTrace("\r\n<< OUT: (" +
                    std::string(reinterpret_cast<const char*>(pBytes), nCount - 1) + ")");
    }
    AddTxCount(1);
    return serial.Write(hPort, pBytes, nCount);
}

bool CGlowdeskDlg::StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText) {
    if (PrepareSubE2Cmd(nSub, nFrameCmdArg) && SendCmd(strText))
        return true;
    AppendTrace(" --> cmd-err");
    EndCmd();
    return false;
}

bool CGlowdeskDlg::GoOnSubE2Cmd(int nSub) {
    if (nSub != nSubE2Cmd || (nFrameCmd != CmdRdSelProg && nFrameCmd != CmdWrSelProg)) {
        AppendTrace("\r\n error GoOnSubE2Cmd() !!!");
        EndCmd();
        return false;
    }
    return SendCmd("");
}

bool CGlowdeskDlg::TimeoutTick() {
    if (!bBusy)
        return false;
    if (nTimeout == 0)
        return true;
    --nTimeout;
    return false;
}

void CGlowdeskDlg::EndCmd() {
    view.SetTimer(kTimerCom, kIdlePollMs);
    view.SetText(IDC_START, "start");
    ClearCmdState();
    SendHeldLeds();
}

void CGlowdeskDlg::ClearCmdState() {
    bBusy = 0;
    nCmd = CmdUnknown;
    nFrameCmd = CmdUnknown;
    nSubE2Cmd = SubE2None;
    bStaticFirst = 0;
}

void CGlowdeskDlg::OnComTimer() {
    if (hComPort == kNullHandle)
        return;
    if (TimeoutTick()) {
        AppendTrace(" --> timeout");
        EndCmd();
    }
    // A device that went away while the window watched it: stop watching it here too, so
    // its hang-up does not wake the window again.
    if (ReadWaitingBytes() == 0 && nWatchedFd >= 0)
        WatchComPort(ComPortDescriptor());
}

void CGlowdeskDlg::OnComReadable() {
    if (hComPort == kNullHandle || serial.IsEmulation())
        return;
    // The time-out counts timer-2 ticks only: a reply read here is merely read sooner.
    // A descriptor that reports input yet yields none may have hung up, and a hung-up
    // descriptor reports input for ever: ask for it again after such a call.
    if (ReadWaitingBytes() == 0)
        WatchComPort(ComPortDescriptor());
}

int CGlowdeskDlg::ReadWaitingBytes() {
    // Only the bytes that were already waiting: the answer to a request sent from a
    // reply handler is read on the next call, so a long transfer never runs inside one
    // call and the window repaints between requests.
    int nBudget = serial.BytesWaiting(hComPort);
    int nRead = 0;
    while (nBudget > 0 && serial.BytesWaiting(hComPort) > 0) {
        uint8_t by = 0;
        // A port that reports bytes but yields none (a vanished device) ends the poll.
        if (serial.Read(hComPort, &by, 1) != 1)
            break;
        --nBudget;
        ++nRead;
        if (PushRxByte(by))
            HandleResponse(acRxFrame, nRxLen);
    }
    return nRead;
}

int CGlowdeskDlg::ComPortDescriptor() {
    if (hComPort == kNullHandle || serial.IsEmulation())
        return -1;
    return serial.PollDescriptor(hComPort);
}

void CGlowdeskDlg::WatchComPort(int nFd) {
    if (nFd == nWatchedFd)
        return;
    nWatchedFd = nFd;
    view.WatchPort(nFd);
}
