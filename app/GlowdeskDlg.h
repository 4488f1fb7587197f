// The main dialog's logic: start-up, LED panel, counters, trace log, command menu,
// connect, the command engine, the EEPROM sequences, the program store and playback.
// It reaches the window only through DialogView; the Qt window forwards clicks,
// keys and timer ticks to the handlers below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandList.h"
#include "app/ControlIds.h"
#include "app/DialogView.h"
#include "app/Waiter.h"
#include "programs/LightProgram.h"
#include "programs/PlayState.h"
#include "programs/Rand.h"
#include "protocol/Cmd.h"
#include "protocol/StaticInfo.h"
#include "serial/ComSettings.h"
#include "serial/PortHandle.h"
#include "serial/SerialPort.h"

class CProgramDraft;

// Seconds since the epoch, for seeding the random generator; injected for tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Seconds() = 0;
};

class SystemClock : public Clock {
public:
    uint32_t Seconds() override;
};

class CGlowdeskDlg {
public:
    CGlowdeskDlg(DialogView& view, CSerialPort& serial, Waiter& waiter, Clock& clock);

    // ---- start-up and shut-down (app/GlowdeskDlg.cpp) ----
    // strArgs: the arguments without the program name; strCurrentDir: the current
    // directory without a trailing separator.
    bool OnInitDialog(const std::string& strArgs, const std::string& strCurrentDir);
    void OnDestroy();
    void OnSysCommand(int nId);
    // Timer ticks of the window: 1 playback, 2 communication.
    void OnTimer(int nTimerId);

    // ---- LED panel, counters, trace log, file name (app/GlowdeskDlg.cpp) ----
    void ShowLeds(uint8_t byValue, bool bSend);
    void OnLedClicked(int nLed);  // nLed 1..8, after the box changed its state
    // A typed character; true when it was taken (the digits 1 to 8).
    bool OnChar(char ch);
    void OnClr();
    void ResetRxCount();
    void ResetTxCount();
    void AddRxCount(int n);
    void AddTxCount(int n);
    void SetFileName(const std::string& strText);
    std::string GetFileName() const;
    void SetTrace(const std::string& strText, bool bScrollToEnd = true);
    void AppendTrace(const std::string& strText, bool bScrollToEnd = true);
    const std::string& GetTrace() const { return strTrace; }

    // ---- command menu (app/CommandMenu.cpp) ----
    void OnStart();

    // ---- connect and device commands (app/Connect.cpp) ----
    void OnConnect();
    void DeviceCommand(int32_t nCode, int nProgRow, const std::string& strLabel);

    // ---- program store and files (programs/ProgFile.cpp) ----
    void LoadProgFile(const std::string& strPath);
    void StoreProgFile(const std::string& strPath);
    int ReadProgFromIni(int nIndex, const std::string& strPath);
    int WriteProgToIni(int nIndex, const std::string& strPath);
    void ListProgEntry(int nEntry);

    // ---- playback (programs/Playback.cpp) ----
    void StartPlayback(int nSliderPos, int nProgRow);
    void StopPlayback();
    void SelectProg(uint8_t byEntry);
    void MixNextProg(bool bRestart);
    void OnPlayTick();
    void BlinkRunIcon(bool bToggle, int nValue);

    // ---- program editor (app/ProgramEdit.cpp) ----
    // The selected program (0..8) when it can be edited now, else -1: not for Random,
    // MIX or no selection, and not while a device operation runs.
    int EditableProgram() const;
    bool CanEditProgram() const { return EditableProgram() >= 0; }
    void OnEditProgram();  // opens the editor on the selected program
    // The edited program goes into the store and its row of the program box.
    void CommitProgram(int nIndex, const CProgramDraft& draft);
    // Plays aSteps on the panel with timer 1, as "run program" plays a program.
    void StartPreview(int nIndex, const std::vector<uint8_t>& aSteps);
    void UpdatePreview(const std::vector<uint8_t>& aSteps);
    void StopPreview();
    bool IsPreviewing() const { return bPreview; }

    // ---- command engine (protocol/CommandEngine.cpp) ----
    void StartCmd(int nOperation, int nProgIndex, const std::string* pText);
    bool SendCmd(std::string strPrefix);
    bool BuildFrame(std::string* pMessage);
    int WriteFrame(PortHandle& hPort, const uint8_t* pBytes, int nCount);
    bool StartSubE2Cmd(int nSub, int nFrameCmdArg, const std::string& strText);
    bool GoOnSubE2Cmd(int nSub);
    int CheckStatus(const uint8_t* pFrame, bool bReport);
    bool PushRxByte(uint8_t by);
    void HandleResponse(uint8_t* pFrame, int nLen);
    bool TimeoutTick();
    void EndCmd();
    void ClearCmdState();
    void OnComTimer();  // timer 2
    // The port's descriptor reports input: reads what is waiting, as timer 2 does, but
    // counts no time-out tick. Real ports only; emulation is read on timer 2 alone.
    void OnComReadable();
    bool IsProgSequence() const { return nCmd >= 5 && nCmd <= 8; }
    bool IsRunningCmd(int c) const { return bBusy && nCmd == c; }
    bool IsRunningFrameCmd(int c) const { return bBusy && nFrameCmd == c; }
    bool IsCmd(int c) const { return nCmd == c; }

    // ---- memory map and static info (protocol/InfoReply.cpp) ----
    void HandleInfoReply(const uint8_t* pFrame, int nL);
    bool PrepareSubE2Cmd(int nSub, int nFrameCmdArg);

    // ---- EEPROM sequences (protocol/E2Read.cpp, protocol/E2Write.cpp) ----
    int E2ReadStatemachine(const uint8_t* pFrame, int nLen);
    int E2WriteStatemachine(const uint8_t* pFrame, int nLen);

    // Read access for tests and tools
    ProgramStore& Store() { return store; }
    PlayState& Play() { return playState; }
    StaticInfo& Info() { return staticInfo; }
    PortHandle& Port() { return hComPort; }
    uint8_t Leds() const { return byLeds; }
    int RxCount() const { return nRxCount; }
    int TxCount() const { return nTxCount; }
    bool IsBusy() const { return bBusy != 0; }
    bool IsProgMode() const { return bProgMode != 0; }
    bool IsComEmu() const { return bComEmu != 0; }
    bool IsTrace() const { return bTrace != 0; }

private:
    void OnVersionReply(uint8_t* pFrame, int nL);
    // The receive poll shared by timer 2 and OnComReadable; returns the bytes read.
    int ReadWaitingBytes();
    // Asks the window to watch descriptor nFd for input (-1: stop), once per change.
    void WatchComPort(int nFd);
    // The descriptor of the open real port, or -1.
    int ComPortDescriptor();

    DialogView& view;
    CSerialPort& serial;
    Waiter& waiter;
    Clock& clock;

    // Part of start-up
    const CommandEntry* pCmdList = nullptr;
    int32_t nCmdCount = 0;

    // Command state
    uint8_t bBusy = 0;
    int32_t nCmd = CmdUnknown;
    int32_t nFrameCmd = CmdUnknown;
    int32_t nSubE2Cmd = SubE2None;
    uint8_t bStaticFirst = 0;
    uint8_t bAutoJmpConfig = 0;
    int32_t nSelProg = 0;
    uint32_t nE2Addr = 0;
    int32_t nE2Len = 0;
    int32_t nChunk = 0;
    const uint8_t* pE2Data = nullptr;
    uint8_t acTxFrame[20] = {};
    int32_t nTimeout = 0;
    uint8_t acScratch[4] = {};

    int32_t nRxCount = 0;
    int32_t nTxCount = 0;
    uint8_t bProgMode = 0;
    uint8_t bComEmu = 0;
    uint8_t bTrace = 0;
    uint8_t bAltIcons = 0;

    // Receive state
    uint8_t acRxFrame[21] = {};
    int32_t nRxExpected = 0;
    int32_t nRxLen = 0;
    int32_t nRxState = 0;

    uint8_t byLeds = 0;

    // Program-wide tables
    ProgramStore store;
    PlayState playState;
    StaticInfo staticInfo;
    int nRunIconState = 0;
    CRand rand;

    // Steps the editor's preview plays; timer 1 reads them through playState.
    std::vector<uint8_t> aPreviewSteps;
    bool bPreview = false;

    // Serial link
    PortHandle hComPort = kNullHandle;
    ComSettings comSettings;
    std::vector<unsigned> aPortNumbers;  // as enumerated, row by row
    int nWatchedFd = -1;                 // the descriptor the window watches for input

    // Trace log text, kept here so appends cost only the appended text
    std::string strTrace;
};
