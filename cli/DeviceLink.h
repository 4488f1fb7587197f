// One Handheld on one port, as the command line drives it: the only place that
// reaches into the core's device logic. Everything else in cli/ talks to this class.
//
// The link never blocks: it starts an operation and reports, after each tick or input
// handed to it by an event loop, whether the operation still runs and how it ended.
//
//   CDeviceLink link(setup);
//   link.Connect();                       // open, version, jump to configuration mode
//   while (link.IsBusy()) loop.Turn(...);
//   if (link.Outcome() == LinkOutcome::Done) link.Start(DeviceOp::ReadAll);
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandList.h"
#include "programs/LightProgram.h"
#include "protocol/StaticInfo.h"

class ComApi;

// How the operation that ended last came out.
enum class LinkOutcome {
    Done,        // it did what it should
    TimedOut,    // the Handheld did not answer in time
    Refused,     // an answer said no, or could not be used
    Stopped,     // Stop() ended it
    PortFailed,  // the port could not be opened (Connect only)
};

// The window's device operations by their command codes (app/CommandList.h), and the
// command line's own, for which the command box has no row.
enum class DeviceOp : int32_t {
    JmpNormal = JMP_NORMAL,        // back to normal mode
    StaticInfo = RD_STATIC_INFO,   // the static info
    ReadProg = RD_SEL_PROG,        // program n into the store
    WriteProg = WR_SEL_PROG,       // program n from the store
    ReadAll = RD_ALL_PROGS,        // all nine programs and the MIX length into the store
    WriteAll = WR_ALL_PROGS,       // all nine programs and the MIX length from the store
    ReadMix = RD_MIX_LEN,          // the MIX length into the store
    WriteMix = WR_MIX_LEN,         // the MIX length from the store
    ProgInfo = CMD_SEPARATOR + 1,  // where program n lies in the EEPROM
    Leds,                          // the Handheld's LEDs show the byte n now
    Play,                          // program n of the store plays on the Handheld's LEDs
};

struct LinkSetup {
    unsigned nPort = 1;     // COM number; the emulated Handheld answers on any
    bool bEmulate = false;  // an emulated Handheld instead of a port
    bool bTrace = false;    // frames sent and received go into the trace
    bool bPauses = true;    // the core's short pauses after a connect really wait
    // The serial primitives (needed unless bEmulate); the link does not own them.
    ComApi* pApi = nullptr;
    // Trace text as it is written: bNew when an activity starts a new trace.
    std::function<void(const std::string& strText, bool bNew)> fnTrace;
};

// What the static info says, as far as the program keeps it.
struct DeviceFacts {
    int nE2KBytes = 0;
    int nProgCount = 0;
    StaticInfo info;
};

class CDeviceLink {
public:
    explicit CDeviceLink(const LinkSetup& setup);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Opens the port, asks for the version and then jumps to configuration mode. When
    // the port cannot be opened the outcome is PortFailed at once, with the reason in
    // PortError(); otherwise the link is busy until both exchanges have ended.
    void Connect();
    // Starts an operation; nProg (1-9) names the program of ProgInfo, ReadProg,
    // WriteProg and Play, or is the LED byte of Leds. Leds ends at once (done when the
    // port took the request). Play shows a step every nStepMs for nForMs (0: until
    // stopped), as the window's "run program" does, and is busy while it plays.
    void Start(DeviceOp op, int nProg = 0, int nStepMs = 0, int nForMs = 0);
    bool IsBusy() const;
    LinkOutcome Outcome() const;
    // The last line of the trace: what the core said about the end of the operation.
    std::string Message() const;
    std::string PortError() const;
    // Ends the running operation as the window's stop does.
    void Stop();
    // Closes the port, ending a running operation first (the Handheld stays in the mode
    // it is in).
    void Close();

    // For the event loop: the descriptor to watch for input (-1: none), the period of the
    // communication timer (0: not running) and whether it was (re)started since the
    // last call, and the two events.
    int Descriptor() const;
    int TimerPeriodMs() const;
    bool TakeTimerRestart();
    void OnTimer();
    // The play timer, alike: its period (0: not running), whether it was (re)started
    // since the last call, and its tick.
    int PlayPeriodMs() const;
    bool TakePlayRestart();
    void OnPlayTick();
    void OnReadable();

    // Frames sent since the operation started.
    int Exchanges() const;
    // Programs whose read or write has completed since the operation started (1-9).
    const std::vector<int>& ProgramsDone() const;

    std::string Version() const;
    DeviceFacts Facts() const;
    ProgramStore& Store();
    const StaticInfo& Info() const;

    // Program files with the window's semantics. LoadFile: false when the file cannot
    // be read (the store is then left empty). StoreFile: false when it could not be
    // written; the old file stays. WriteProgToFile: program n into an existing or new
    // file, the rest of the file kept.
    bool LoadFile(const std::string& strPath);
    bool StoreFile(const std::string& strPath);
    void WriteProgToFile(int nProg, const std::string& strPath);
    // The eleven rows of the program box.
    std::vector<std::string> Listing() const;

private:
    struct Impl;
    std::unique_ptr<Impl> p;
};
