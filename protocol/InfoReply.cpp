// The Handheld's memory as it describes itself: the static info (field sizes), the
// per-program addresses, and the table that turns an EEPROM sub-command into an
// address, a byte count and a data source.
#include "base/TextHelpers.h"
#include "base/TraceText.h"
#include "protocol/CommandEngine.h"
#include "protocol/Frames.h"

namespace {

constexpr int kInfoReplyL = 15;
constexpr uint32_t kMixLenAddr = 1;

// Room in this program's records: a 2-byte length word (kept by the transfer), 12 name
// characters before the terminating zero, kDataSize step bytes.
constexpr int kMaxInfoLen = 2;
constexpr int kMaxProgNameLen = kNameSize - 1;
constexpr int kMaxProgSize = kDataSize;

// Sizes that would let a transfer run past the record or the scratch bytes, or (zero
// sizes) keep a transfer asking for no bytes for ever.
bool FitsRecords(const StaticInfo& info) {
    return info.InfoLen >= 1 && info.InfoLen <= kMaxInfoLen && info.ProgNameLen >= 1 &&
           info.ProgNameLen <= kMaxProgNameLen && info.ProgSize <= kMaxProgSize;
}

}  // namespace

void CCommandEngine::HandleInfoReply(const uint8_t* pFrame, int nL) {
    const int nIndex = HexToByte(FrameText(pFrame + 3));
    if (nL != kInfoReplyL) {
        Fail(" --> error parsing response");
        return;
    }

    if (nIndex == 0) {
        if (!IsProgSequence())
            AppendTrace(" --> ok\r\n");
        staticInfo.E2KBytes = HexToByte(FrameText(pFrame + 5));
        AppendTrace(TraceText("E2=%dk", staticInfo.E2KBytes));
        // One-byte sizes are signed on the line; a negative one becomes a huge value.
        staticInfo.InfoLen = static_cast<uint16_t>(HexToByte(FrameText(pFrame + 7)));
        AppendTrace(TraceText(", InfoLen=%d", staticInfo.InfoLen));
        staticInfo.ProgCount = HexToByte(FrameText(pFrame + 9));
        AppendTrace(TraceText(", ProgCount=%d", staticInfo.ProgCount));
        staticInfo.ProgNameLen = static_cast<uint16_t>(HexToByte(FrameText(pFrame + 11)));
        AppendTrace(TraceText(", ProgNameLen=%d", staticInfo.ProgNameLen));
        staticInfo.ProgSize = HexToWord(FrameText(pFrame + 13));
        AppendTrace(TraceText(", ProgSize=%d", staticInfo.ProgSize));

        if (staticInfo.ProgCount != kProgCount) {
            Fail("\r\nthis ProgCount is not supported by this tool !!!");
        } else if (!FitsRecords(staticInfo)) {
            Fail("\r\nthese sizes are not supported by this tool !!!");
        } else if (IsProgSequence()) {
            if (nSelProg == 0) {
                Fail("\r\nexpect nSelProg != 0 !!!");
            } else {
                AppendTrace(TraceText("\r\n*** Program %d **************************************",
                                      nSelProg));
                SendCmd("\r\n --> read E2 program info\r\n");
            }
        } else {
            EndCmd();
        }
        return;
    }

    if (nIndex >= 1 && nIndex <= kProgCount && nIndex == nSelProg) {
        LightProgram& prog = store.aProgs[nIndex - 1];
        AppendTrace(TraceText(" Program %d:", nIndex));
        prog.PosProgLen = HexToWord(FrameText(pFrame + 5));
        AppendTrace(TraceText(" PosProgLen=%4.4Xh", prog.PosProgLen));
        prog.PosProgName = HexToWord(FrameText(pFrame + 9));
        AppendTrace(TraceText(", PosProgName=%4.4Xh", prog.PosProgName));
        prog.PosProgData = HexToWord(FrameText(pFrame + 13));
        AppendTrace(TraceText(", PosProgData=%4.4Xh", prog.PosProgData));
        if (nCmd == CmdRdSelProg || nCmd == CmdRdAllProgs) {
            StartSubE2Cmd(SubE2RdProgLen, CmdRdSelProg, "\r\n --> read program length");
        } else if (nCmd == CmdWrSelProg || nCmd == CmdWrAllProgs) {
            StartSubE2Cmd(SubE2WrProgData, CmdWrSelProg, "\r\n --> write program data");
        } else {
            EndCmd();
        }
        return;
    }

    Fail(" --> idx-err");
}

bool CCommandEngine::PrepareSubE2Cmd(int nSub, int nFrameCmdArg) {
    LightProgram* pProg =
        nSelProg >= 1 && nSelProg <= kProgCount ? &store.aProgs[nSelProg - 1] : nullptr;
    nSubE2Cmd = nSub;
    const bool bNeedsProgram = nSub != SubE2RdMixLen && nSub != SubE2WrMixLen;
    if (nSub < SubE2RdProgLen || nSub > SubE2WrMixLen)
        return false;
    if (bNeedsProgram && pProg == nullptr)
        return false;
    // Never move bytes past a record, even with sizes that were not checked.
    if (bNeedsProgram && !FitsRecords(staticInfo))
        return false;

    switch (nSub) {
        case SubE2RdProgLen:
            e2.Begin(pProg->PosProgLen, staticInfo.InfoLen);
            break;
        case SubE2RdProgName:
            e2.Begin(pProg->PosProgName, staticInfo.ProgNameLen);
            break;
        case SubE2RdProgData:
        case SubE2WrProgData:
            if (pProg->Steps > staticInfo.ProgSize) {
                AppendTrace(" --> program data len > static read length\r\n");
                return false;
            }
            if (nSub == SubE2RdProgData) {
                e2.Begin(pProg->PosProgData, pProg->Steps);
            } else if (pProg->Steps != 0) {
                e2.Begin(pProg->PosProgData, pProg->Steps, pProg->Data);
            } else {
                // A program without steps writes its whole name field first.
                nSubE2Cmd = SubE2WrProgName;
                e2.Begin(pProg->PosProgName, staticInfo.ProgNameLen,
                         reinterpret_cast<const uint8_t*>(pProg->Name));
            }
            break;
        case SubE2RdMixLen:
            e2.Begin(kMixLenAddr, 1);
            break;
        case SubE2WrProgName: {
            int nCount = 0;
            while (nCount < staticInfo.ProgNameLen) {
                const char ch = pProg->Name[nCount++];
                if (!IsPrintable(ch))
                    break;
            }
            e2.Begin(pProg->PosProgName, nCount, reinterpret_cast<const uint8_t*>(pProg->Name));
            break;
        }
        case SubE2WrProgLen: {
            const uint16_t wLen =
                static_cast<uint16_t>((pProg->Steps & 0x7FFF) | (pProg->MixAllowed ? 0x8000 : 0));
            e2.BeginOwn(pProg->PosProgLen, staticInfo.InfoLen, static_cast<uint8_t>(wLen >> 8),
                        static_cast<uint8_t>(wLen));
            break;
        }
        case SubE2WrMixLen:
            e2.BeginOwn(kMixLenAddr, 1, store.RandomLen, 0);
            break;
    }
    nFrameCmd = nFrameCmdArg;
    return true;
}
