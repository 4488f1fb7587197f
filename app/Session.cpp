#include "app/Session.h"

#include <iterator>

#include "app/CommandLine.h"
#include "programs/ProgramDraft.h"
#include "serial/PlatformComApi.h"

namespace {

constexpr int kConnectPauseMs = 37;

template <class Base, class Real>
Base& Pick(Base* pGiven, std::unique_ptr<Base>& pOwn) {
    if (pGiven != nullptr)
        return *pGiven;
    pOwn = std::make_unique<Real>();
    return *pOwn;
}

ComApi& PickComApi(ComApi* pGiven, std::unique_ptr<ComApi>& pOwn) {
    if (pGiven != nullptr)
        return *pGiven;
    pOwn = CreatePlatformComApi();
    return *pOwn;
}

}  // namespace

CSession::CSession(const SessionServices& services)
    : platformApi(PickComApi(services.pComApi, pOwnComApi)),
      waiter(Pick<Waiter, SleepWaiter>(services.pWaiter, pOwnWaiter)),
      clock(Pick<Clock, SystemClock>(services.pClock, pOwnClock)),
      files(store, ini, trace),
      player(store, rand, clock, trace),
      emulator(waiter, services.pDebug != nullptr ? *services.pDebug : nullDebug),
      emulatedApi(emulator),
      portApi(platformApi),
      ports(platformApi),
      serial(portApi),
      link(serial),
      engine(link, store, trace, waiter) {
    trace.SetListener(pListener);
    files.SetListener(this);
    player.SetHost(this);
    link.SetListener(this);
    engine.SetListener(this);
    store.RandomLen = kDefaultRandomLen;
    // Every front end configures its session, which enumerates the ports; probing all
    // of them here as well would only double the start-up's probes.
    ApplyOptions(options);
}

CSession::~CSession() {
    // The port closes without reports: nobody may be listening any more.
    link.SetListener(nullptr);
    link.Close();
}

void CSession::SetListener(SessionListener* pListenerArg) {
    pListener = pListenerArg != nullptr ? pListenerArg : &nullListener;
    trace.SetListener(pListener);
}

void CSession::Configure(const SessionOptions& optionsArg) {
    ApplyOptions(optionsArg);
    std::vector<unsigned> aFound;
    ports.EnumeratePorts(aFound);
    portList.Update(aFound, options.bComEmu);
}

void CSession::ApplyOptions(const SessionOptions& optionsArg) {
    options = optionsArg;
    ini.SetStartDir(options.strStartDir);
    engine.SetFrameTrace(options.bTrace);
    if (options.bProgMode) {
        pCmdList = CmdListProgrammer;
        nCmdCount = static_cast<int32_t>(std::size(CmdListProgrammer));
    } else {
        pCmdList = CmdListNormal;
        nCmdCount = static_cast<int32_t>(std::size(CmdListNormal));
    }
    // The label the switch to configuration mode shows after a connect, if the list
    // has the command.
    const char* pJmpConfig = nullptr;
    for (int i = 0; i < nCmdCount; ++i) {
        if (pCmdList[i].code == JMP_CONFIG) {
            pJmpConfig = pCmdList[i].label;
            break;
        }
    }
    engine.SetJmpConfigLabel(pJmpConfig);
}

bool CSession::RefreshPorts() {
    if (link.IsOpen() && !link.IsLost())
        return false;
    std::vector<unsigned> aFound;
    ports.EnumeratePorts(aFound);
    return portList.Update(aFound, options.bComEmu);
}

std::string CSession::CommandLabel(int32_t nCode) {
    for (const CommandEntry& entry : CmdListProgrammer) {
        if (entry.code == nCode && nCode != CMD_SEPARATOR)
            return entry.label;
    }
    return {};
}

std::string CSession::OpenPort(unsigned nPort) {
    link.Close();
    portApi.SetTarget(options.bComEmu ? static_cast<ComApi&>(emulatedApi) : platformApi);
    std::string strError = link.Open(nPort, options.bComEmu);
    if (!strError.empty())
        return strError;
    link.ResetRxCount();
    link.ResetTxCount();
    link.FlushReceive();
    return {};
}

void CSession::ClosePort() {
    link.Close();
}

void CSession::Disconnect() {
    ClosePort();
    strMessage = "Com Port closed";
    trace.SetTrace(strMessage);
}

std::string CSession::OpenedText() {
    std::string strText = "Open Com Port:" + link.Describe();
    const std::optional<bool> lowLatency = link.LowLatency();
    if (engine.IsFrameTrace() && lowLatency)
        strText += *lowLatency ? ", low latency on" : ", low latency refused";
    return strText;
}

void CSession::ReadVersion(const std::string* pText) {
    engine.SetAutoJmpConfig(options.bProgMode);
    nOpRxBase = link.RxCount();
    engine.StartCmd(CmdRdVersion, -1, pText);
    waiter.Wait(kConnectPauseMs);
}

bool CSession::StartOperation(int32_t nCode, int nProgRow, const std::string& strLabel) {
    const DeviceOperation* pOp = FindDeviceOperation(nCode);
    if (pOp == nullptr)
        return false;
    int nIndex = -1;
    if (nCode == RD_STATIC_INFO)
        nIndex = 0;
    if (nCode == RD_SEL_PROG || nCode == WR_SEL_PROG)
        nIndex = nProgRow + 1;
    nOpRxBase = link.RxCount();
    nOpCode = nCode;
    nOpRow = nProgRow;
    engine.StartCmd(pOp->nCmd, nIndex, &strLabel);
    return true;
}

void CSession::StartProgramInfo(int nProg, const std::string& strLabel) {
    nOpRxBase = link.RxCount();
    engine.StartCmd(CmdRdStaticInfo, nProg, &strLabel);
}

void CSession::StopOperation() {
    if (engine.IsBusy())
        engine.EndCmd(CmdOutcome::Stopped);
}

void CSession::OnComTimer() {
    if (!link.IsOpen())
        return;
    // A device that went away while the front end watched it: stop watching it here
    // too, so its hang-up does not wake the front end again.
    if (engine.OnComTimer() == 0) {
        link.CheckGoneAway();
        if (link.IsWatching())
            link.WatchComPort(link.ComPortDescriptor());
    }
}

void CSession::OnComReadable() {
    // The emulated Handheld answers within the write: timer 2 alone reads it.
    if (!link.IsOpen() || &portApi.Target() == &emulatedApi)
        return;
    // The time-out counts timer-2 ticks only: a reply read here is merely read sooner.
    // A descriptor that reports input yet yields none may have hung up, and a hung-up
    // descriptor reports input for ever: ask for it again after such a call.
    if (engine.ReadWaitingBytes() == 0) {
        link.CheckGoneAway();
        link.WatchComPort(link.ComPortDescriptor());
    }
}

CmdOutcome CSession::Run(int32_t nCode, int nProgRow) {
    eLastOutcome = CmdOutcome::Refused;
    if (!StartOperation(nCode, nProgRow, CommandLabel(nCode) + ": "))
        return eLastOutcome;
    return StepToEnd();
}

std::string CSession::StartConnect(unsigned nPort) {
    eLastOutcome = CmdOutcome::Refused;
    const std::string strError = OpenPort(nPort);
    if (!strError.empty()) {
        strMessage = "Could Not Open Com Port - " + strError;
        trace.SetTrace(strMessage);
        return strError;
    }
    pListener->OnPortOpened();
    const std::string strText = OpenedText();
    ReadVersion(&strText);
    return {};
}

CmdOutcome CSession::Connect(unsigned nPort) {
    if (!StartConnect(nPort).empty())
        return eLastOutcome;
    return StepToEnd();
}

CmdOutcome CSession::StepToEnd() {
    while (engine.IsBusy()) {
        waiter.Wait(nPollPeriod);
        OnComTimer();
    }
    return eLastOutcome;
}

std::string CSession::ResolveStartFile(const std::string& strName) const {
    return ResolveStartupName(strName, options.strStartDir);
}

void CSession::ShowLeds(uint8_t byValue, bool bSend) {
    byValue |= pListener->HeldLeds();
    pListener->OnShowLeds(byValue);
    if (link.IsOpen() && bSend)
        SendLedRequest(byValue);
}

// While a request waits for its reply, the reply is read as it arrives, not only on
// the next tick of timer 2. In between nothing waits for input: the LED answers of
// playback are read by timer 2 in bulk, and do not wake the front end byte by byte.
void CSession::OnBusy() {
    link.WatchComPort(link.ComPortDescriptor());
    pListener->OnBusy();
}

void CSession::OnIdle() {
    link.WatchComPort(-1);
    pListener->OnIdle();
}

void CSession::OnPollPeriod(int nPeriodMs) {
    nPollPeriod = nPeriodMs;
    pListener->OnPollPeriod(nPeriodMs);
}

void CSession::OnLedsReported(uint8_t byLeds) {
    player.SetLeds(byLeds);
    ShowLeds(byLeds, false);
}

void CSession::OnOutcome(CmdOutcome eOutcome) {
    eLastOutcome = eOutcome;
    strMessage = engine.Result().strMessage;
    // Programs read from the Handheld are noted as each arrives; written ones only when
    // the whole write has been answered.
    if (eOutcome == CmdOutcome::Finished && nOpCode == WR_ALL_PROGS)
        NoteStoreEvent(StoreEvent::WrittenToDevice);
    else if (eOutcome == CmdOutcome::Finished && nOpCode == WR_SEL_PROG)
        NoteStoreEvent(StoreEvent::WrittenToDevice, nOpRow);
    nOpCode = 0;
    // The engine is idle: before the front end (or a chained operation) goes on.
    SendHeldLeds();
    pListener->OnOutcome(eOutcome);
}

void CSession::OnRxCount(int nCount, bool bReset) {
    pListener->OnRxCount(nCount, bReset);
    if (!bReset)
        pListener->OnProgress(nCount - nOpRxBase, 0);
}

void CSession::OnPortLost() {
    // The running operation still ends by its time-out; the user learns why here.
    engine.OnLinkLost();
}

void CSession::OnLoadBegin(const std::string& strPath) {
    // A new file: nothing of the old one plays on, and the device is read anew.
    player.Reset();
    engine.ResetStaticInfo();
    pListener->OnLoadBegin(strPath);
}

void CSession::OnStoreFailed(const std::string& strMessage) {
    pListener->OnStoreFailed(strMessage);
}

void CSession::OnProgEntryChanged(int nEntry) {
    if (engine.IsBusy() && (nOpCode == RD_SEL_PROG || nOpCode == RD_ALL_PROGS) &&
        nEntry < kProgCount)
        NoteStoreEvent(StoreEvent::ReadFromDevice, nEntry);
    player.OnProgramChanged(nEntry);
    pListener->OnProgEntryChanged(nEntry);
}

LoadResult CSession::LoadProgFile(const std::string& strPath) {
    const LoadResult result = files.LoadProgFile(strPath);
    NoteStoreEvent(StoreEvent::LoadedFromFile);
    return result;
}

bool CSession::StoreProgFile(const std::string& strPath) {
    if (!files.StoreProgFile(strPath))
        return false;
    NoteStoreEvent(StoreEvent::StoredToFile);
    return true;
}

void CSession::PutDraft(int nIndex, const CProgramDraft& draft) {
    // OK on a draft that came back to where it started made no work.
    if (files.PutDraft(nIndex, draft) && draft.IsChanged())
        NoteStoreEvent(StoreEvent::Edited, nIndex);
}

void CSession::NoteStoreEvent(StoreEvent event, int nIndex) {
    const bool bBefore = unsaved.Any();
    unsaved.Note(event, nIndex);
    if (unsaved.Any() != bBefore)
        pListener->OnUnsavedWork(unsaved.Any());
}
