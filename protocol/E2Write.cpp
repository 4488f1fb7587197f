// The EEPROM write sequence: each good "w" reply sends the next chunk, the next item
// (data, name, length word) or the next program.
#include "base/TraceText.h"
#include "protocol/CommandEngine.h"

int CCommandEngine::E2WriteStatemachine(const uint8_t* pFrame, int /*nLen*/) {
    if (!CheckStatus(pFrame, false)) {
        Fail("\r\n error: bad response code received (wr cmd) !!!");
        return 0;
    }
    const bool bLast = e2.IsLast();
    if ((nSelProg == 0 || nSelProg > kProgCount) && nSubE2Cmd != SubE2RdMixLen &&
        nSubE2Cmd != SubE2WrMixLen) {
        return 1;
    }
    if (nSubE2Cmd != SubE2WrMixLen && nSelProg > kProgCount) {
        AppendTrace("\r\n error E2WriteStatemachine(), bad program index !!!");
        return 0;
    }

    switch (nSubE2Cmd) {
        case SubE2RdProgLen:
        case SubE2RdProgName:
        case SubE2RdProgData:
        case SubE2RdMixLen:
            Fail("\r\n Rd-cmd in E2WriteStatmachine !!!");
            break;
        case SubE2WrProgData:
            AppendTrace(".");
            if (bLast) {
                StartSubE2Cmd(SubE2WrProgName, CmdWrSelProg, "\r\n --> write program name");
            } else {
                e2.Advance();
                GoOnSubE2Cmd(SubE2WrProgData);
            }
            break;
        case SubE2WrProgName:
            if (bLast) {
                StartSubE2Cmd(SubE2WrProgLen, CmdWrSelProg, "\r\n --> write program length");
            } else {
                e2.Advance();
                GoOnSubE2Cmd(SubE2WrProgName);
            }
            break;
        case SubE2WrProgLen:
            if (!bLast) {
                Fail("\r\n error: WrAdrProgLen needs only 1 cmd frame");
            } else if (!IsCmd(CmdWrAllProgs)) {
                AppendTrace("\r\n finished");
                EndCmd();
            } else if (++nSelProg <= kProgCount) {
                AppendTrace(TraceText("\r\n*** Program %d **************************************",
                                      nSelProg));
                nFrameCmd = CmdRdStaticInfo;
                SendCmd("\r\n --> read E2 program info\r\n");
            } else {
                StartSubE2Cmd(SubE2WrMixLen, CmdWrMixLen,
                              "\r\n*************************************************\r\n"
                              "--> write random length");
            }
            break;
        case SubE2WrMixLen:
            AppendTrace(TraceText(": (random length=%d)\r\n ...finished", store.RandomLen));
            EndCmd();
            break;
        default:
            Fail("\r\n unknown E2 statmachine cmd !!!");
            break;
    }
    return 1;
}
