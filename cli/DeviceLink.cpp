// The link over a session: it drives the session's operations and keeps what the
// session reports (outcomes, poll period, watched descriptor, changed program entries,
// trace text) for the command line.
#include "cli/DeviceLink.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "app/Session.h"
#include "programs/FileReplace.h"
#include "serial/ComApi.h"
#include "serial/ForwardingComApi.h"
#include "serial/PlatformComApi.h"

namespace {

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// Passes every call on, except that it finds no ports while closed: the session probes
// every port number when configured, and the command line opens only the one it was given.
class PortGate : public CForwardingComApi {
public:
    explicit PortGate(ComApi& inner) : CForwardingComApi(inner) {}
    PortHandle CreateFile(const std::string& s) override {
        bFound = bOpen;
        return bFound ? CForwardingComApi::CreateFile(s) : kInvalidHandle;
    }
    uint32_t GetLastError() override {
        return bFound ? CForwardingComApi::GetLastError() : ERROR_FILE_NOT_FOUND;
    }
    std::string LastErrorText() override {
        return bFound ? CForwardingComApi::LastErrorText() : std::string();
    }
    std::optional<bool> PresentWithoutOpening(const std::string& s) override {
        return bOpen ? CForwardingComApi::PresentWithoutOpening(s) : std::optional<bool>(false);
    }

    bool bOpen = false;

private:
    bool bFound = false;
};

// The system's reason for a failed open, from the serial layer's error code.
std::string OpenErrorText(uint32_t nError) {
    switch (nError) {
        case ERROR_FILE_NOT_FOUND:
            return "no such port";
        case ERROR_ACCESS_DENIED:
            return "access denied";
        case ERROR_SHARING_VIOLATION:
            return "in use by another program";
        case ERROR_GEN_FAILURE:
            return "the device does not work";
        case ERROR_SEM_TIMEOUT:
            return "the device does not answer";
        default:
            return "error " + std::to_string(nError);
    }
}

LinkOutcome LinkOutcomeOf(CmdOutcome eOutcome) {
    switch (eOutcome) {
        case CmdOutcome::Finished:
            return LinkOutcome::Done;
        case CmdOutcome::TimedOut:
            return LinkOutcome::TimedOut;
        case CmdOutcome::Stopped:
            return LinkOutcome::Stopped;
        case CmdOutcome::Failed:
        case CmdOutcome::Refused:
            break;
    }
    return LinkOutcome::Refused;
}

}  // namespace

struct CDeviceLink::Impl : SessionListener {
    explicit Impl(const LinkSetup& setup)
        : setup(setup),
          // The emulated Handheld needs no primitives; the gate still wants some.
          pOwnApi(setup.pApi != nullptr ? nullptr : CreatePlatformComApi()),
          gate(setup.pApi != nullptr ? *setup.pApi : *pOwnApi),
          // The emulated Handheld answers at once; the pauses after a connect are for a
          // real one.
          session({.pComApi = &gate,
                   .pWaiter = setup.bPauses && !setup.bEmulate ? static_cast<Waiter*>(&sleeper)
                                                               : &noWait}) {}

    // Records how the operation ended once the session has gone idle.
    void Settle() {
        if (!bRunning || session.IsBusy())
            return;
        bRunning = false;
        outcome = LinkOutcomeOf(eReported);
        if (outcome != LinkOutcome::Done)
            return;
        if (bConnect) {
            strVersion = session.Version();
        } else if (op == DeviceOp::StaticInfo) {
            const StaticInfo& info = session.Info();
            facts = {info.E2KBytes, info.ProgCount, info};
        }
    }

    void Begin(bool bIsConnect, DeviceOp opNew) {
        bConnect = bIsConnect;
        op = opNew;
        bRunning = true;
        strNote.clear();
        eReported = CmdOutcome::Refused;
        nTxBase = session.TxCount();
        aDone.clear();
    }

    // SessionListener
    void OnTraceSet(const std::string& strText, bool) override {
        // A trace set anew that keeps the old text (the next step of a connect) only
        // adds to it.
        if (setup.fnTrace) {
            if (!strShown.empty() && strText.compare(0, strShown.size(), strShown) == 0)
                setup.fnTrace(strText.substr(strShown.size()), false);
            else
                setup.fnTrace(strText, true);
        }
        strShown = strText;
    }
    void OnTraceAppend(const std::string& strText, bool) override {
        strShown += strText;
        if (setup.fnTrace)
            setup.fnTrace(strText, false);
    }
    void OnWatchPort(int nFd) override { nWatchedFd = nFd; }
    void OnPollPeriod(int nPeriodMs) override {
        nComPeriodMs = nPeriodMs;
        bComRestarted = true;
    }
    void OnOutcome(CmdOutcome eOutcome) override { eReported = eOutcome; }
    void OnProgEntryChanged(int nEntry) override {
        if (bRunning && nEntry >= 0 && nEntry < kProgCount)
            aDone.push_back(nEntry + 1);
    }
    void OnStoreFailed(const std::string& strMessage) override { strStoreError = strMessage; }
    void SetPlayTimer(int nPeriodMs) override {
        nPlayPeriodMs = nPeriodMs;
        bPlayRestarted = true;
    }
    void KillPlayTimer() override { nPlayPeriodMs = 0; }

    // Playback has ended: how, and what to say about it.
    void EndPlay(LinkOutcome outcomeEnd) {
        bPlaying = false;
        session.StopPlayback();
        outcome = outcomeEnd;
        if (outcomeEnd == LinkOutcome::Done)
            StartDrain();
    }

    // LED requests are not waited for as they go out, but closing the port would
    // discard one not yet sent: the link stays busy until every request has its
    // answer, or for kDrainTicks ticks of the communication timer.
    static constexpr int kDrainTicks = 10;
    void StartDrain() {
        bDraining = true;
        nDrainTicks = 0;
        CheckDrained();
    }
    void CheckDrained() {
        if (!bDraining)
            return;
        if (session.RxCount() >= session.TxCount()) {
            bDraining = false;
        } else if (++nDrainTicks > kDrainTicks) {
            bDraining = false;
            outcome = LinkOutcome::TimedOut;
            strNote = "--> no answer to the LED requests";
        }
    }

    LinkSetup setup;
    std::unique_ptr<ComApi> pOwnApi;
    PortGate gate;
    NoWait noWait;
    SleepWaiter sleeper;
    CSession session;

    bool bConnect = false;
    DeviceOp op = DeviceOp::JmpNormal;
    bool bRunning = false;
    CmdOutcome eReported = CmdOutcome::Refused;
    LinkOutcome outcome = LinkOutcome::Done;
    std::string strPortError;
    std::string strVersion;
    std::string strStoreError;
    std::string strShown;  // the trace text as last reported
    DeviceFacts facts;
    int nTxBase = 0;
    std::vector<int> aDone;
    // The communication timer runs from the start at the idle poll period.
    int nComPeriodMs = CCommandEngine::kIdlePollMs;
    bool bComRestarted = true;
    int nWatchedFd = -1;
    // Playback: its timer, and the time it has played and is to play (0: no end).
    int nPlayPeriodMs = 0;
    bool bPlayRestarted = false;
    bool bPlaying = false;
    int nPlayedMs = 0;
    int nPlayForMs = 0;
    bool bDraining = false;
    int nDrainTicks = 0;
    std::string strNote;  // said instead of the session's message, "" for none
};

CDeviceLink::CDeviceLink(const LinkSetup& setup) : p(std::make_unique<Impl>(setup)) {
    std::error_code ec;
    const std::string strDir = (std::filesystem::current_path(ec) / "").string();
    p->session.Configure({.bProgMode = true,
                          .bComEmu = setup.bEmulate,
                          .bTrace = setup.bTrace,
                          .strStartDir = strDir});
    p->session.SetListener(p.get());
    p->gate.bOpen = true;
}

CDeviceLink::~CDeviceLink() {
    p->session.SetListener(nullptr);
}

void CDeviceLink::Connect() {
    p->Begin(true, DeviceOp::JmpNormal);
    p->session.ClosePort();
    if (!p->session.StartConnect(p->setup.nPort).empty()) {
        p->bRunning = false;
        p->outcome = LinkOutcome::PortFailed;
        // The kind of failure, and the system's own words where the platform has them.
        const std::string strWhy = p->gate.LastErrorText();
        p->strPortError = OpenErrorText(p->gate.GetLastError());
        if (!strWhy.empty())
            p->strPortError += " (" + strWhy + ")";
        return;
    }
    p->Settle();
}

void CDeviceLink::Start(DeviceOp op, int nProg, int nStepMs, int nForMs) {
    if (op == DeviceOp::Leds) {
        p->Begin(false, op);
        p->bRunning = false;
        p->session.ShowLeds(static_cast<uint8_t>(nProg), true);
        p->outcome = p->session.IsPortOpen() && !p->session.IsLineStalled() ? LinkOutcome::Done
                                                                            : LinkOutcome::Refused;
        if (p->outcome != LinkOutcome::Done)
            p->strNote = "--> frame not taken by the port !!!";
        else
            p->StartDrain();
        return;
    }
    if (op == DeviceOp::Play) {
        p->Begin(false, op);
        p->bRunning = false;
        p->bPlaying = true;
        p->nPlayedMs = 0;
        p->nPlayForMs = nForMs;
        p->session.StartPlayback(nStepMs, nProg - 1);
        return;
    }
    // ProgInfo is the static info request of one program.
    const int32_t nCode = op == DeviceOp::ProgInfo ? RD_STATIC_INFO : static_cast<int32_t>(op);
    if (FindDeviceOperation(nCode) == nullptr)
        return;
    p->Begin(false, op);
    const std::string strLabel = CSession::CommandLabel(nCode) + ": ";
    if (op == DeviceOp::ProgInfo)
        p->session.StartProgramInfo(nProg, strLabel);
    else
        p->session.StartOperation(nCode, nProg - 1, strLabel);
    p->Settle();
}

bool CDeviceLink::IsBusy() const {
    return p->session.IsBusy() || p->bPlaying || p->bDraining;
}

LinkOutcome CDeviceLink::Outcome() const {
    return p->outcome;
}

std::string CDeviceLink::Message() const {
    return p->strNote.empty() ? p->session.Message() : p->strNote;
}

std::string CDeviceLink::PortError() const {
    return p->strPortError;
}

void CDeviceLink::Stop() {
    if (p->bPlaying || p->bDraining) {
        p->bDraining = false;
        if (p->bPlaying)
            p->EndPlay(LinkOutcome::Stopped);
        return;
    }
    if (!p->session.IsBusy())
        return;
    p->session.StopOperation();
    p->Settle();
}

void CDeviceLink::Close() {
    if (!p->session.IsPortOpen())
        return;
    // An operation left running on a closed port would wait for a reply for ever.
    Stop();
    p->session.Disconnect();
}

int CDeviceLink::PlayPeriodMs() const {
    return p->bPlaying ? p->nPlayPeriodMs : 0;
}

bool CDeviceLink::TakePlayRestart() {
    return std::exchange(p->bPlayRestarted, false);
}

void CDeviceLink::OnPlayTick() {
    if (!p->bPlaying)
        return;
    p->session.OnPlayTick();
    // The time played counts in steps, so an emulated Handheld, whose loop skips the
    // waits, plays as many steps as a real one.
    p->nPlayedMs += p->nPlayPeriodMs;
    if (p->nPlayForMs > 0 && p->nPlayedMs >= p->nPlayForMs)
        p->EndPlay(LinkOutcome::Done);
}

int CDeviceLink::Descriptor() const {
    return p->nWatchedFd;
}

int CDeviceLink::TimerPeriodMs() const {
    return p->nComPeriodMs;
}

bool CDeviceLink::TakeTimerRestart() {
    return std::exchange(p->bComRestarted, false);
}

void CDeviceLink::OnTimer() {
    p->session.OnComTimer();
    p->Settle();
    p->CheckDrained();
}

void CDeviceLink::OnReadable() {
    p->session.OnComReadable();
    p->Settle();
}

int CDeviceLink::Exchanges() const {
    return p->session.TxCount() - p->nTxBase;
}

const std::vector<int>& CDeviceLink::ProgramsDone() const {
    return p->aDone;
}

std::string CDeviceLink::Version() const {
    return p->strVersion;
}

DeviceFacts CDeviceLink::Facts() const {
    return p->facts;
}

ProgramStore& CDeviceLink::Store() {
    return p->session.Store();
}

const StaticInfo& CDeviceLink::Info() const {
    return p->session.Info();
}

bool CDeviceLink::LoadFile(const std::string& strPath) {
    std::string strText;
    const bool bReadable = ReadWholeFile(strPath, strText);
    p->session.LoadProgFile(bReadable ? strPath : std::string());
    return bReadable;
}

bool CDeviceLink::StoreFile(const std::string& strPath) {
    p->strStoreError.clear();
    p->session.StoreProgFile(strPath);
    return p->strStoreError.empty();
}

void CDeviceLink::WriteProgToFile(int nProg, const std::string& strPath) {
    p->session.WriteProgToFile(nProg, strPath);
}

std::vector<std::string> CDeviceLink::Listing() const {
    std::vector<std::string> aRows;
    for (int nEntry = 0; nEntry <= kEntryMix; ++nEntry)
        aRows.push_back(p->session.Store().EntryText(nEntry));
    return aRows;
}
