// A session: every part of the program wired together, built from options with no
// window. The window's presenter drives one; so can a command-line tool, a program
// editor, a test or a benchmark: open a port, run a device operation to its end, read
// and edit the program store, load and store program files, play programs.
//
//   CSession session;                         // platform ports, real pauses
//   session.Configure({.bProgMode = true});
//   if (session.OpenPort(3).empty() && session.Run(RD_ALL_PROGS) == CmdOutcome::Finished)
//       ... session.Store().aProgs[0] ...
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandList.h"
#include "app/LedRequest.h"
#include "app/PortList.h"
#include "app/SessionListener.h"
#include "base/Clock.h"
#include "base/DebugSink.h"
#include "base/Rand.h"
#include "base/TraceLog.h"
#include "base/Waiter.h"
#include "programs/IniFile.h"
#include "programs/LightProgram.h"
#include "programs/Player.h"
#include "programs/ProgFile.h"
#include "programs/UnsavedWork.h"
#include "protocol/CommandEngine.h"
#include "serial/ComApi.h"
#include "serial/ComEmulator.h"
#include "serial/ComLink.h"
#include "serial/EmulatedComApi.h"
#include "serial/ForwardingComApi.h"
#include "serial/SerialPort.h"

struct SessionOptions {
    bool bProgMode = false;  // the full command list; connect switches to config mode
    bool bComEmu = false;    // connect opens the emulated Handheld instead of a port
    bool bTrace = false;     // every frame sent and received goes into the trace log
    // Where relative program file names live, with its trailing separator.
    std::string strStartDir;
};

// What the session uses of the machine; null members get the real thing (platform
// serial primitives, sleeping pauses, the system clock, no debug output).
struct SessionServices {
    ComApi* pComApi = nullptr;
    Waiter* pWaiter = nullptr;
    Clock* pClock = nullptr;
    DebugSink* pDebug = nullptr;
};

class CSession : private EngineListener,
                 private LinkListener,
                 private ProgFileListener,
                 private PlayerHost {
public:
    explicit CSession(const SessionServices& services = {});
    ~CSession() override;
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // nullptr: reports go nowhere.
    void SetListener(SessionListener* pListenerArg);

    // Modes, start-up directory and command list; enumerates the ports (a session
    // lists none before).
    void Configure(const SessionOptions& options);
    const SessionOptions& Options() const { return options; }
    // The command list of the mode (the command box's rows).
    const CommandEntry* Commands() const { return pCmdList; }
    int CommandCount() const { return nCmdCount; }
    // The label a command has in the programmer's list, "" for none.
    static std::string CommandLabel(int32_t nCode);

    // ---- ports ----
    // COM numbers present that the open takes (1-99), as enumerated (with emulation
    // and none present: COM1).
    const std::vector<unsigned>& Ports() const { return portList.Rows(); }
    // True when the list holds only the emulated Handheld's stand-in COM1.
    bool IsEmulatedOnly() const { return portList.IsEmulatedOnly(); }
    const CPortList& PortList() const { return portList; }
    // Enumerates the ports again; true when the list changed. Nothing is enumerated
    // while a port is open, unless its device went away: the list names what is open
    // until it is closed.
    bool RefreshPorts();
    std::string DevicePath(unsigned nPort) { return ports.DevicePath(nPort); }
    // Opens COM number nPort (GLOWDESK_COM<n> in the environment leads a number to any
    // device), or the emulated Handheld: "" on success, else the reason. Resets the
    // counters and watches the port. Any port open before is closed first.
    std::string OpenPort(unsigned nPort);
    void ClosePort();
    // Closes the port as the window's disconnect does, saying so in the trace.
    void Disconnect();
    bool IsPortOpen() const { return link.IsOpen(); }
    // The trace's first line after a successful open: "Open Com Port:" and the line
    // settings; with the frame trace on, also whether the adapter granted low latency.
    std::string OpenedText();

    // ---- device operations ----
    // The connect: closes any open port, opens COM number nPort and starts the version
    // request (in programming mode followed by the switch to configuration mode),
    // with the window's trace texts. "" when the port opened (OnPortOpened is reported
    // before the request), else the reason, traced after "Could Not Open Com Port - ".
    std::string StartConnect(unsigned nPort);
    // The version request that follows a connect (in programming mode followed by the
    // switch to configuration mode); pText starts the trace.
    void ReadVersion(const std::string* pText);
    // Starts the device operation of a command code (READ_VERSION ... WR_MIX_LEN);
    // nProgRow is the program box row for the single-program commands, strLabel starts
    // the trace ("rd all programs: "). False for a code that is no device operation.
    bool StartOperation(int32_t nCode, int nProgRow, const std::string& strLabel);
    // Starts the static info request of program nProg (1-9): where it lies in the EEPROM.
    void StartProgramInfo(int nProg, const std::string& strLabel);
    // Ends the running operation (outcome Stopped).
    void StopOperation();
    bool IsBusy() const { return engine.IsBusy(); }
    // Timer 2: the time-out and the receive poll. Call every PollPeriod() ms.
    void OnComTimer();
    // The watched descriptor has input: read it now (real ports only).
    void OnComReadable();
    int PollPeriod() const { return nPollPeriod; }
    // Starts an operation and steps it through the session's waiter until it ends;
    // the trace label is the command's own. Refused when a port is not open.
    CmdOutcome Run(int32_t nCode, int nProgRow = 0);
    // OpenPort and ReadVersion, stepped to the end as Run does, with the window's
    // trace texts. Refused when the port does not open.
    CmdOutcome Connect(unsigned nPort);
    // How the last operation ended.
    CmdOutcome LastOutcome() const { return eLastOutcome; }
    // The line that ended the last operation's trace, or what the last connect or
    // disconnect said ("Could Not Open Com Port - ...", "Com Port closed").
    const std::string& Message() const { return strMessage; }
    // The version text the Handheld gave at the last connect ("HH 1.01"), "" before.
    const std::string& Version() const { return engine.Version(); }

    // ---- program store and files ----
    ProgramStore& Store() { return store; }
    LoadResult LoadProgFile(const std::string& strPath);
    // True when the file was written.
    bool StoreProgFile(const std::string& strPath);
    // Program nProg (1-9) into a program file, the rest of the file kept.
    void WriteProgToFile(int nProg, const std::string& strPath) {
        files.WriteProgToIni(nProg - 1, strPath);
    }
    // An edited program (0..8) replaces the one in the store: work that exists only here
    // until it is stored or written.
    void PutDraft(int nIndex, const CProgramDraft& draft);
    // The programs changed here and kept nowhere else.
    const CUnsavedWork& Unsaved() const { return unsaved; }
    // A start-up name resolved against the start-up directory.
    std::string ResolveStartFile(const std::string& strName) const;

    // ---- LED panel and playback ----
    // Shows byValue (with the LEDs the user holds) and, when bSend, sends it; also the
    // player's LED output.
    void ShowLeds(uint8_t byValue, bool bSend) override;
    void OnPlayTick() { player.OnPlayTick(); }
    // Plays entry nEntry of the program list (0-8 programs, 9 Random, 10 MIX) one step
    // every nStepMs, on the panel and the Handheld, as the window's "run program" does.
    void StartPlayback(int nStepMs, int nEntry) { player.StartPlayback(nStepMs, nEntry); }
    void StopPlayback() { player.StopPlayback(); }
    // The last frame written was not taken by the port.
    bool IsLineStalled() const { return link.IsStalled(); }
    // Whether an LED change waits for the running operation to end.
    bool HasHeldLedRequest() const { return ledHold.IsHeld(); }

    // ---- reading ----
    const std::string& GetTrace() const { return trace.GetTrace(); }
    int RxCount() const { return link.RxCount(); }
    int TxCount() const { return link.TxCount(); }
    // Both counters back to 0.
    void ResetCounters() {
        link.ResetRxCount();
        link.ResetTxCount();
    }
    // One line naming the open port's number or emulation, rate and framing.
    std::string DescribePort() { return link.Describe(); }
    const StaticInfo& Info() const { return engine.Info(); }
    // The program-wide random generator: playback seeds it, the about box draws from it.
    CRand& Rand() { return rand; }

    // ---- the parts, for tests and benchmarks: front ends use the calls above ----
    CTraceLog& Trace() { return trace; }
    CIniProfile& Ini() { return ini; }
    CProgFiles& Files() { return files; }
    CPlayer& Player() { return player; }
    CCommandEngine& Engine() { return engine; }
    CComLink& Link() { return link; }
    CSerialPort& Serial() { return serial; }
    CComEmulator& Emulator() { return emulator; }

private:
    // Configure without the enumeration.
    void ApplyOptions(const SessionOptions& optionsArg);
    // Steps the running operation through the waiter until it ends.
    CmdOutcome StepToEnd();
    // ---- LED requests to the Handheld (LedRequest.cpp) ----
    // An L request now, or held until the running operation ends.
    void SendLedRequest(uint8_t byValue);
    // Sends the held L request, if any, when an operation has ended; drops it when the
    // operation ended on a stopped line.
    void SendHeldLeds();

    // Tells the front end when there comes to be unsaved work, or none is left.
    void NoteStoreEvent(StoreEvent event, int nIndex = CUnsavedWork::kWholeStore);

    // EngineListener
    bool IsPortChosen() override { return pListener->IsPortChosen(); }
    void OnBusy() override;
    void OnPollPeriod(int nPeriodMs) override;
    void OnIdle() override;
    void OnLedsReported(uint8_t byLeds) override;
    // From the engine and the program files alike: a program being played goes on
    // with what the store holds now, and a program read from the Handheld is kept there.
    void OnProgEntryChanged(int nEntry) override;
    void OnOutcome(CmdOutcome eOutcome) override;
    // LinkListener
    void OnRxCount(int nCount, bool bReset) override;
    void OnTxCount(int nCount, bool bReset) override { pListener->OnTxCount(nCount, bReset); }
    void OnWatchPort(int nFd) override { pListener->OnWatchPort(nFd); }
    void OnPortLost() override;
    // ProgFileListener
    void OnLoadBegin(const std::string& strPath) override;
    void OnLoadEnd() override { pListener->OnLoadEnd(); }
    void OnStoreFailed(const std::string& strMessage) override;
    // PlayerHost
    void SetPlayTimer(int nPeriodMs) override { pListener->SetPlayTimer(nPeriodMs); }
    void KillPlayTimer() override { pListener->KillPlayTimer(); }
    bool GetSpeed(int& nPos) override { return pListener->GetSpeed(nPos); }
    bool HasRunIcon() override { return pListener->HasRunIcon(); }
    void ShowRunIcon(bool bLit) override { pListener->ShowRunIcon(bLit); }
    void OnPlaybackStarted() override { pListener->OnPlaybackStarted(); }
    void OnPlaybackStopped() override { engine.EndCmd(CmdOutcome::Stopped); }

    SessionListener nullListener;
    SessionListener* pListener = &nullListener;

    std::unique_ptr<ComApi> pOwnComApi;
    ComApi& platformApi;
    std::unique_ptr<Waiter> pOwnWaiter;
    std::unique_ptr<Clock> pOwnClock;
    NullDebugSink nullDebug;
    Waiter& waiter;
    Clock& clock;

    SessionOptions options;
    const CommandEntry* pCmdList = nullptr;
    int32_t nCmdCount = 0;
    CPortList portList;  // as enumerated, row by row
    int nPollPeriod = CCommandEngine::kIdlePollMs;
    CmdOutcome eLastOutcome = CmdOutcome::Finished;
    std::string strMessage;
    int nOpRxBase = 0;  // the Rx count when the running operation started
    // The command code and program box row of the running operation (0: none).
    int32_t nOpCode = 0;
    int nOpRow = -1;
    CUnsavedWork unsaved;
    CLedRequestHold ledHold;

    CTraceLog trace;
    CRand rand;
    ProgramStore store;
    CIniProfile ini;
    CProgFiles files;
    CPlayer player;
    CComEmulator emulator;
    CEmulatedComApi emulatedApi;
    // What the open port talks to: the platform's primitives, or with COM emulation
    // the emulated Handheld's. Ports are always found on the platform.
    CForwardingComApi portApi;
    CSerialPort ports;
    CSerialPort serial;
    CComLink link;
    CCommandEngine engine;
};
