// The EEPROM read sequence: each "r" reply stores its bytes into the program store
// and asks for the next chunk, the next item (length word, name, data) or the next
// program.
#include "base/TextHelpers.h"
#include "base/TraceText.h"
#include "protocol/CommandEngine.h"
#include "protocol/Frames.h"

namespace {

// Bytes a data reply carries, from its length digit.
int ReplyByteCount(const uint8_t* pFrame) {
    return (HexValue(static_cast<char>(pFrame[1])) - 1) / 2;
}

}  // namespace

int CCommandEngine::E2ReadStatemachine(const uint8_t* pFrame, int /*nLen*/) {
    if (pFrame[3] == ':') {
        Fail("\r\n error: bad response code received (rd cmd) !!!");
        return 1;
    }
    bool bLast = e2.IsLast();
    if ((nSelProg == 0 || nSelProg > kProgCount) && nSubE2Cmd != SubE2RdMixLen &&
        nSubE2Cmd != SubE2WrMixLen) {
        Fail("\r\n error E2 statmachine (bad program index) !!!");
        return 1;
    }
    if (nSubE2Cmd != SubE2RdMixLen && nSelProg > kProgCount) {
        AppendTrace("\r\n error E2ReadStatemachine(), bad program index !!!");
        return 0;
    }

    LightProgram* pProg = nSelProg >= 1 ? &store.aProgs[nSelProg - 1] : nullptr;
    if (pProg == nullptr && nSubE2Cmd >= SubE2RdProgLen && nSubE2Cmd <= SubE2RdProgData) {
        // A negative index with a program item running: there is no record to fill.
        Fail("\r\n error E2 statmachine (bad program index) !!!");
        return 1;
    }
    auto completeProgram = [&] {
        pListener->OnProgEntryChanged(nSelProg - 1);
        if (!IsCmd(CmdRdAllProgs)) {
            AppendTrace("\r\n finished");
            EndCmd();
            return;
        }
        ++nSelProg;
        if (nSelProg <= kProgCount) {
            AppendTrace(
                TraceText("\r\n*** Program %d **************************************", nSelProg));
            nFrameCmd = CmdRdStaticInfo;
            SendCmd("\r\n --> read E2 program info\r\n");
        } else {
            StartSubE2Cmd(SubE2RdMixLen, CmdRdMixLen,
                          "\r\n*************************************************\r\n"
                          "--> read random length");
        }
    };
    // Bytes of the reply, checked against what was asked and against the room left.
    auto takeBytes = [&](int nPos, int nRoom) {
        if (ReplyByteCount(pFrame) != e2.Chunk() || nPos < 0 || nPos + e2.Chunk() > nRoom) {
            Fail("\r\n missmatch of expected data count in RX response !!!");
            return false;
        }
        return true;
    };
    switch (nSubE2Cmd) {
        case SubE2RdProgLen: {
            if (!bLast) {
                Fail("\r\n error: RdAdrProgLen needs only 1 cmd frame");
                break;
            }
            const uint16_t wLen = HexToWord(FrameText(pFrame + 3));
            const int nSteps = wLen & 0x7FFF;
            if (nSteps > staticInfo.ProgSize) {
                // The record keeps its former length, so it never claims more steps
                // than it holds.
                Fail(TraceText("\r\n error: Length read from E2 (%d) bigger than max. length (%d)",
                               nSteps, staticInfo.ProgSize));
                break;
            }
            pProg->Steps = static_cast<uint16_t>(nSteps);
            pProg->MixAllowed = (wLen & 0x8000) ? 1 : 0;
            AppendTrace(TraceText(" --> %d", pProg->Steps));
            StartSubE2Cmd(SubE2RdProgName, CmdRdSelProg, "\r\n --> read program name");
            break;
        }
        case SubE2RdProgName: {
            if (e2.Chunk() != 0) {
                int nPos = static_cast<int>(e2.Addr()) - pProg->PosProgName;
                if (!takeBytes(nPos, kNameSize - 1))
                    break;
                for (int i = 0; i < e2.Chunk(); ++i) {
                    const int ch = static_cast<uint8_t>(HexToByte(FrameText(pFrame + 3 + 2 * i)));
                    if (IsPrintable(ch)) {
                        pProg->Name[nPos++] = static_cast<char>(ch);
                    } else {
                        pProg->Name[nPos] = 0;
                        bLast = true;
                        AppendTrace(TraceText(" --> (\"%s\")", pProg->Name));
                        break;
                    }
                }
            }
            if (bLast) {
                if (pProg->Steps != 0) {
                    StartSubE2Cmd(SubE2RdProgData, CmdRdSelProg, "\r\n --> read program data");
                } else {
                    AppendTrace("\r\n this program has no data pattern");
                    completeProgram();
                }
            } else {
                e2.Advance();
                GoOnSubE2Cmd(SubE2RdProgName);
            }
            break;
        }
        case SubE2RdProgData:
            if (e2.Chunk() != 0) {
                const int nPos = static_cast<int>(e2.Addr()) - pProg->PosProgData;
                if (!takeBytes(nPos, kDataSize))
                    break;
                AppendTrace(".");
                for (int i = 0; i < e2.Chunk(); ++i) {
                    pProg->Data[nPos + i] =
                        static_cast<uint8_t>(HexToByte(FrameText(pFrame + 3 + 2 * i)));
                }
            }
            if (bLast) {
                completeProgram();
            } else {
                e2.Advance();
                GoOnSubE2Cmd(SubE2RdProgData);
            }
            break;
        case SubE2RdMixLen:
            store.RandomLen = static_cast<uint8_t>(HexToByte(FrameText(pFrame + 3)));
            AppendTrace(TraceText(": (random length=%d)\r\n ...finished", store.RandomLen));
            pListener->OnProgEntryChanged(kEntryMix);
            EndCmd();
            break;
        case SubE2WrProgData:
        case SubE2WrProgName:
        case SubE2WrProgLen:
        case SubE2WrMixLen:
            Fail("\r\n Wr-cmd in E2ReadStatmachine !!!");
            break;
        default:
            Fail("\r\n unknown E2 statmachine cmd !!!");
            break;
    }
    return 1;
}
