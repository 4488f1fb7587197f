// The command engine: runs one device operation at a time over a FrameLink. It builds
// and sends the request frames, keeps the reply time-out, takes the replies apart and
// chains the EEPROM read and write sequences, which fill and read the program store.
// Progress goes into the trace log; everything the host must act on goes to its
// EngineListener; what the Handheld said is kept as values (version, static info, the
// last operation's result).
#pragma once

#include <cstdint>
#include <string>

#include "base/TraceLog.h"
#include "base/Waiter.h"
#include "programs/LightProgram.h"
#include "protocol/Cmd.h"
#include "protocol/E2Transfer.h"
#include "protocol/EngineListener.h"
#include "protocol/FrameLink.h"
#include "protocol/Frames.h"
#include "protocol/RxAssembler.h"
#include "protocol/StaticInfo.h"

// What the last operation came to: how it ended and the line that ended its trace
// (" --> timeout", "finished", "jmp to CFG mode: --> ok", ...), leading blanks left off.
struct CmdResult {
    CmdOutcome eOutcome = CmdOutcome::Finished;
    std::string strMessage;
};

class CCommandEngine {
public:
    static constexpr int kBusyPollMs = 8;
    static constexpr int kIdlePollMs = 100;
    // Traced when the link did not take a frame whole within its write bound (a
    // stopped line, a device gone): the frame was given up.
    static constexpr char kTextFrameNotTaken[] = " --> frame not taken by the port !!!";
    // Traced when the device behind the open port went away.
    static constexpr char kTextPortLost[] = " --> COM port lost !!!";
    // Traced after it when the driver could not discard the frame it still holds.
    static constexpr char kTextFrameLeftQueued[] = " --> the port's driver still holds it !!!";
    // Traced (with the frame trace on) for a reply that no request awaits.
    static constexpr char kTextReplyDropped[] = "--> no request awaits it, dropped";

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

    // Starts operation nOperation (a Cmd); nProgIndex is the program (1-9) of the
    // single-program operations and of a program's static info (0: the Handheld's).
    // pText starts the trace. The outcome is reported, also when nothing was sent.
    void StartCmd(int nOperation, int nProgIndex, const std::string* pText);
    // Ends the running operation with eOutcome (the user's stop, the end of playback).
    void EndCmd(CmdOutcome eOutcome = CmdOutcome::Finished);
    // Forgets the running operation without an outcome.
    void ClearCmdState();
    // Timer 2: counts the time-out and reads what is waiting; returns the bytes read.
    int OnComTimer();
    // Reads only the bytes already waiting; a frame completed among them is handled at
    // once. Returns the bytes read.
    int ReadWaitingBytes();
    // An L request: the Handheld shows byLeds. False when the link did not take it.
    bool SendLeds(uint8_t byLeds);
    // The device behind the port went away: said in the trace, so the operation that
    // now runs into its time-out ends on that line.
    void OnLinkLost() { AppendTrace(kTextPortLost); }

    bool IsBusy() const { return bBusy != 0; }
    bool IsProgSequence() const { return nCmd >= 5 && nCmd <= 8; }
    bool IsRunningCmd(int c) const { return bBusy && nCmd == c; }
    bool IsRunningFrameCmd(int c) const { return bBusy && nFrameCmd == c; }
    bool IsCmd(int c) const { return nCmd == c; }
    // The program a program operation works on now (1-9).
    int SelProg() const { return nSelProg; }

    // ---- what the Handheld said, as values ----
    // The version text of the last version request answered ("HH 1.01"); "" before.
    const std::string& Version() const { return strVersion; }
    // What the Handheld reported of its memory; zero until read.
    const StaticInfo& Info() const { return staticInfo; }
    void SetInfo(const StaticInfo& info) { staticInfo = info; }
    void ResetStaticInfo() { staticInfo = StaticInfo{}; }
    // How the last operation ended, and the trace line it ended on.
    const CmdResult& Result() const { return result; }

private:
    // ---- requests (CommandEngine.cpp) ----
    bool SendCmd(std::string strPrefix);
    bool BuildFrame(std::string* pMessage);
    bool WriteFrame(const CFrame& frame);
    bool StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText);
    bool GoOnSubE2Cmd(int nSub);
    bool TimeoutTick();
    // Ends the operation with eOutcome after tracing strText.
    void Fail(const std::string& strText, CmdOutcome eOutcome = CmdOutcome::Failed) {
        AppendTrace(strText);
        EndCmd(eOutcome);
    }

    // ---- replies (ResponseDispatch.cpp) ----
    int CheckStatus(const uint8_t* pFrame, bool bReport);
    void HandleResponse(uint8_t* pFrame, int nLen);
    void OnVersionReply(uint8_t* pFrame, int nL);
    // Whether a reply with this letter answers the request outstanding now; LED frames
    // and LED replies are never awaited and always taken.
    bool IsAwaited(uint8_t byLetter) const;

    // ---- memory map and static info (InfoReply.cpp) ----
    void HandleInfoReply(const uint8_t* pFrame, int nL);
    bool PrepareSubE2Cmd(int nSub, int nFrameCmdArg);

    // ---- EEPROM sequences (E2Read.cpp, E2Write.cpp) ----
    int E2ReadStatemachine(const uint8_t* pFrame, int nLen);
    int E2WriteStatemachine(const uint8_t* pFrame, int nLen);

    void SetTrace(const std::string& strText) { trace.SetTrace(strText); }
    void AppendTrace(const std::string& strText) { trace.AppendTrace(strText); }

    FrameLink& link;
    ProgramStore& store;
    CTraceLog& trace;
    Waiter& waiter;
    EngineListener* pListener = nullptr;
    CRxAssembler rx;
    StaticInfo staticInfo;
    std::string strVersion;
    CmdResult result;
    const char* pJmpConfigLabel = nullptr;

    uint8_t bBusy = 0;
    int32_t nCmd = CmdUnknown;
    int32_t nFrameCmd = CmdUnknown;
    int32_t nSubE2Cmd = SubE2None;
    uint8_t bStaticFirst = 0;
    uint8_t bAutoJmpConfig = 0;
    uint8_t bTrace = 0;
    int32_t nSelProg = 0;
    CE2Transfer e2;
    CFrame txFrame{'?'};
    int32_t nTimeout = 0;
};
