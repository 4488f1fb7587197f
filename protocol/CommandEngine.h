// The command engine: runs one device operation at a time over a FrameLink. It builds
// and sends the request frames, keeps the reply time-out, takes the replies apart and
// chains the EEPROM read and write sequences, which fill and read the program store.
// Progress goes into the trace log; everything the host must act on goes to its
// EngineListener.
#pragma once

#include <cstdint>
#include <string>

#include "base/TraceLog.h"
#include "base/Waiter.h"
#include "programs/LightProgram.h"
#include "protocol/Cmd.h"
#include "protocol/EngineListener.h"
#include "protocol/FrameLink.h"
#include "protocol/RxAssembler.h"
#include "protocol/StaticInfo.h"

class CCommandEngine {
public:
    static constexpr int kBusyPollMs = 8;
    static constexpr int kIdlePollMs = 100;

    CCommandEngine(FrameLink& link, ProgramStore& store, CTraceLog& trace, Waiter& waiter)
        : link(link), store(store), trace(trace), waiter(waiter) {}
    void SetListener(EngineListener* pListenerArg) { pListener = pListenerArg; }

    // Every frame sent and received goes into the trace log.
    void SetFrameTrace(bool bOn) { bTrace = bOn ? 1 : 0; }
    bool IsFrameTrace() const { return bTrace != 0; }
    // The next version reply switches the Handheld to configuration mode, with this
    // label in the trace (nullptr: there is no such command, which is reported).
    void SetAutoJmpConfig(bool bOn) { bAutoJmpConfig = bOn ? 1 : 0; }
    void SetJmpConfigLabel(const char* pLabel) { pJmpConfigLabel = pLabel; }

    // ---- command engine (CommandEngine.cpp) ----
    void StartCmd(int nOperation, int nProgIndex, const std::string* pText);
    bool SendCmd(std::string strPrefix);
    bool BuildFrame(std::string* pMessage);
    int WriteFrame(const uint8_t* pBytes, int nCount);
    bool StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText);
    bool GoOnSubE2Cmd(int nSub);
    bool TimeoutTick();
    void EndCmd(CmdOutcome eOutcome = CmdOutcome::Finished);
    void ClearCmdState();
    // Timer 2: counts the time-out and reads what is waiting; returns the bytes read.
    int OnComTimer();
    // Reads only the bytes already waiting; a frame completed among them is handled at
    // once. Returns the bytes read.
    int ReadWaitingBytes();

    // ---- replies (ResponseDispatch.cpp) ----
    int CheckStatus(const uint8_t* pFrame, bool bReport);
    bool PushRxByte(uint8_t by) { return rx.PushRxByte(by); }
    void HandleResponse(uint8_t* pFrame, int nLen);

    // ---- memory map and static info (InfoReply.cpp) ----
    void HandleInfoReply(const uint8_t* pFrame, int nL);
    bool PrepareSubE2Cmd(int nSub, int nFrameCmdArg);

    // ---- EEPROM sequences (E2Read.cpp, E2Write.cpp) ----
    int E2ReadStatemachine(const uint8_t* pFrame, int nLen);
    int E2WriteStatemachine(const uint8_t* pFrame, int nLen);

    bool IsBusy() const { return bBusy != 0; }
    bool IsProgSequence() const { return nCmd >= 5 && nCmd <= 8; }
    bool IsRunningCmd(int c) const { return bBusy && nCmd == c; }
    bool IsRunningFrameCmd(int c) const { return bBusy && nFrameCmd == c; }
    bool IsCmd(int c) const { return nCmd == c; }
    // The program a program operation works on now (1-9).
    int SelProg() const { return nSelProg; }

    // What the Handheld reported of its memory; zero until read.
    const StaticInfo& Info() const { return staticInfo; }
    void SetInfo(const StaticInfo& info) { staticInfo = info; }
    void ResetStaticInfo() { staticInfo = StaticInfo{}; }

private:
    void OnVersionReply(uint8_t* pFrame, int nL);
    void AppendTrace(const std::string& strText) { trace.AppendTrace(strText); }

    FrameLink& link;
    ProgramStore& store;
    CTraceLog& trace;
    Waiter& waiter;
    EngineListener* pListener = nullptr;
    CRxAssembler rx;
    StaticInfo staticInfo;
    const char* pJmpConfigLabel = nullptr;

    uint8_t bBusy = 0;
    int32_t nCmd = CmdUnknown;
    int32_t nFrameCmd = CmdUnknown;
    int32_t nSubE2Cmd = SubE2None;
    uint8_t bStaticFirst = 0;
    uint8_t bAutoJmpConfig = 0;
    uint8_t bTrace = 0;
    int32_t nSelProg = 0;
    uint32_t nE2Addr = 0;
    int32_t nE2Len = 0;
    int32_t nChunk = 0;
    const uint8_t* pE2Data = nullptr;
    uint8_t acTxFrame[20] = {};
    int32_t nTimeout = 0;
    uint8_t acScratch[4] = {};
};
