// The link over the dialog logic: a window without widgets keeps what the logic shows
// (trace, program box, timers, watched descriptor), and the link reads its answers
// from there.
#include "cli/DeviceLink.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <utility>

#include "app/DebugSink.h"
#include "app/DialogView.h"
#include "app/GlowdeskDlg.h"
#include "programs/FileReplace.h"
#include "serial/ComApi.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"

namespace {

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// Passes every call on, except that it finds no ports while closed: the logic's start-up
// probes every port number, and the command line opens only the one it was given.
class PortGate : public ComApi {
public:
    explicit PortGate(ComApi* pInner) : pInner(pInner) {}
    PortHandle CreateFile(const std::string& s) override {
        bFound = bOpen && pInner != nullptr;
        return bFound ? pInner->CreateFile(s) : kInvalidHandle;
    }
    uint32_t GetLastError() override {
        return bFound ? pInner->GetLastError() : ERROR_FILE_NOT_FOUND;
    }
    bool SetCommTimeouts(PortHandle h, const CommTimeouts& t) override {
        return pInner && pInner->SetCommTimeouts(h, t);
    }
    bool SetCommState(PortHandle h, const Dcb& d) override {
        return pInner && pInner->SetCommState(h, d);
    }
    bool ClearCommError(PortHandle h, uint32_t& nErrors, uint32_t& nInQueue) override {
        return pInner && pInner->ClearCommError(h, nErrors, nInQueue);
    }
    bool PurgeComm(PortHandle h, uint32_t n) override { return pInner && pInner->PurgeComm(h, n); }
    bool ReadFile(PortHandle h, uint8_t* pBuf, uint32_t n, uint32_t& nDone) override {
        return pInner && pInner->ReadFile(h, pBuf, n, nDone);
    }
    bool WriteFile(PortHandle h, const uint8_t* pBuf, uint32_t n, uint32_t& nDone) override {
        return pInner && pInner->WriteFile(h, pBuf, n, nDone);
    }
    bool CloseHandle(PortHandle h) override { return pInner && pInner->CloseHandle(h); }
    std::string DevicePath(unsigned n) override { return pInner ? pInner->DevicePath(n) : ""; }
    int PollDescriptor(PortHandle h) override { return pInner ? pInner->PollDescriptor(h) : -1; }

    bool bOpen = false;

private:
    ComApi* pInner;
    bool bFound = false;
};

// The window, without widgets.
class LinkView : public DialogView {
public:
    LinkView() {
        texts[IDC_CONNECT] = "connect";
        texts[IDC_START] = "start";
    }
    bool HasControl(int) const override { return true; }
    std::string GetTitle() const override { return "Glowdesk"; }
    void SetTitle(const std::string&) override {}
    void SetWindowIcon(int) override {}
    std::string GetText(int nId) const override {
        const auto it = texts.find(nId);
        return it == texts.end() ? std::string() : it->second;
    }
    void SetText(int nId, const std::string& s) override {
        std::string& strOld = texts[nId];
        if (nId == IDC_TRACE && fnTrace) {
            // A trace set anew that keeps the old text (the next step of a connect) only
            // adds to it.
            if (!strOld.empty() && s.compare(0, strOld.size(), strOld) == 0)
                fnTrace(s.substr(strOld.size()), false);
            else
                fnTrace(s, true);
        }
        strOld = s;
    }
    void AppendText(int nId, const std::string& s) override {
        texts[nId] += s;
        if (nId == IDC_TRACE && fnTrace)
            fnTrace(s, false);
    }
    void ScrollToEnd(int) override {}
    void Redraw(int) override {}
    bool GetCheck(int) const override { return false; }
    void SetCheck(int, bool) override {}
    void Show(int, bool) override {}
    bool IsShown(int) const override { return true; }
    void SetIcon(int, int) override {}
    void ComboReset(int nId) override { combos[nId].clear(); }
    int ComboCount(int nId) const override {
        const auto it = combos.find(nId);
        return it == combos.end() ? 0 : static_cast<int>(it->second.size());
    }
    int ComboGetSel(int nId) const override {
        const auto it = sels.find(nId);
        return it == sels.end() ? -1 : it->second;
    }
    void ComboSetSel(int nId, int nRow) override {
        sels[nId] = nRow >= 0 && nRow < ComboCount(nId) ? nRow : -1;
    }
    std::string ComboGetRow(int nId, int nRow) const override {
        const auto it = combos.find(nId);
        if (it == combos.end() || nRow < 0 || nRow >= static_cast<int>(it->second.size()))
            return {};
        return it->second[nRow];
    }
    void ComboInsert(int nId, int nRow, const std::string& s) override {
        auto& rows = combos[nId];
        const size_t nAt = std::min<size_t>(static_cast<size_t>(std::max(nRow, 0)), rows.size());
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(nAt), s);
        if (nId == IDC_PROGRAM && fnEntry)
            fnEntry(nRow);
    }
    void ComboDelete(int nId, int nRow) override {
        auto& rows = combos[nId];
        if (nRow >= 0 && nRow < static_cast<int>(rows.size()))
            rows.erase(rows.begin() + nRow);
    }
    void ComboSetRowTip(int, int, const std::string&) override {}
    void SliderSetRange(int, int, int) override {}
    void SliderSetPos(int, int) override {}
    int SliderGetPos(int) const override { return 500; }
    void SetTimer(int nId, int nPeriodMs) override {
        if (nId == kTimerCom) {
            nComPeriodMs = nPeriodMs;
            bComRestarted = true;
        }
    }
    void KillTimer(int nId) override {
        if (nId == kTimerCom) {
            nComPeriodMs = 0;
            bComRestarted = true;
        }
    }
    void WatchPort(int nFd) override { nWatchedFd = nFd; }
    void MessageBox(const std::string& s) override { strMessageBox = s; }
    std::optional<std::string> ChooseOpenFile(const std::string&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return {}; }
    void ShowAboutBox() override {}

    std::function<void(const std::string&, bool)> fnTrace;
    std::function<void(int)> fnEntry;
    int nComPeriodMs = 0;
    bool bComRestarted = false;
    int nWatchedFd = -1;
    std::string strMessageBox;

private:
    std::map<int, std::string> texts;
    std::map<int, std::vector<std::string>> combos;
    std::map<int, int> sels;
};

struct OpRow {
    DeviceOp op;
    int32_t nCode;
    const char* pLabel;
};

// The rows of the programmer's command box that the operations stand for.
constexpr OpRow kOps[] = {
    {DeviceOp::JmpNormal, JMP_NORMAL, "jmp normal mode"},
    {DeviceOp::StaticInfo, RD_STATIC_INFO, "rd static info"},
    {DeviceOp::ProgInfo, RD_STATIC_INFO, "rd static info"},
    {DeviceOp::ReadProg, RD_SEL_PROG, "rd sel. program"},
    {DeviceOp::WriteProg, WR_SEL_PROG, "wr sel. program"},
    {DeviceOp::ReadAll, RD_ALL_PROGS, "rd all programs"},
    {DeviceOp::WriteAll, WR_ALL_PROGS, "wr all programs"},
    {DeviceOp::ReadMix, RD_MIX_LEN, "rd MIX lenght"},
    {DeviceOp::WriteMix, WR_MIX_LEN, "wr MIX lenght"},
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

bool EndsWith(const std::string& s, const std::string& strEnd) {
    return s.size() >= strEnd.size() &&
           s.compare(s.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

}  // namespace

struct CDeviceLink::Impl {
    explicit Impl(const LinkSetup& setup)
        : setup(setup),
          gate(setup.pApi),
          emulator(noWait, debug),
          serial(gate, emulator),
          dlg(view, serial, setup.bPauses ? static_cast<Waiter&>(sleeper) : noWait, clock) {}

    // Whether the trace of the operation that just ended tells of success.
    bool Succeeded(const std::string& strTrace) const {
        static const std::regex reStatic("ProgSize=[0-9]+$");
        static const std::regex reProg("PosProgData=[0-9A-F]{4}h$");
        if (bConnect)
            return strTrace.find(" --> V") != std::string::npos && EndsWith(strTrace, "--> ok");
        switch (op) {
            case DeviceOp::JmpNormal:
                return EndsWith(strTrace, "--> ok");
            case DeviceOp::StaticInfo:
                return std::regex_search(strTrace, reStatic);
            case DeviceOp::ProgInfo:
                return std::regex_search(strTrace, reProg);
            default:
                return EndsWith(strTrace, "finished");
        }
    }

    // Records how the operation ended once the logic has gone idle.
    void Settle() {
        if (!bRunning || dlg.IsBusy())
            return;
        bRunning = false;
        const std::string& strTrace = dlg.GetTrace();
        if (bStopped)
            outcome = LinkOutcome::Stopped;
        else if (EndsWith(strTrace, " --> timeout"))
            outcome = LinkOutcome::TimedOut;
        else
            outcome = Succeeded(strTrace) ? LinkOutcome::Done : LinkOutcome::Refused;
        if (outcome == LinkOutcome::Done && bConnect) {
            const size_t nAt = strTrace.find(" --> V");
            const size_t nEnd = strTrace.find("\r\n", nAt);
            strVersion =
                strTrace.substr(nAt + 6, nEnd == std::string::npos ? nEnd : nEnd - nAt - 6);
        }
        if (outcome == LinkOutcome::Done && !bConnect && op == DeviceOp::StaticInfo) {
            const size_t nAt = strTrace.find("E2=");
            int nInfoLen = 0, nNameLen = 0, nSize = 0;
            std::sscanf(strTrace.c_str() + nAt,
                        "E2=%dk, InfoLen=%d, ProgCount=%d, ProgNameLen=%d, ProgSize=%d",
                        &facts.nE2KBytes, &nInfoLen, &facts.nProgCount, &nNameLen, &nSize);
            facts.info = dlg.Info();
        }
    }

    void Begin(bool bIsConnect, DeviceOp opNew) {
        bConnect = bIsConnect;
        op = opNew;
        bStopped = false;
        bRunning = true;
        nTxBase = dlg.TxCount();
        aDone.clear();
    }

    LinkSetup setup;
    PortGate gate;
    NoWait noWait;
    SleepWaiter sleeper;
    NullDebugSink debug;
    SystemClock clock;
    LinkView view;
    CComEmulator emulator;
    CSerialPort serial;
    CGlowdeskDlg dlg;

    bool bConnect = false;
    DeviceOp op = DeviceOp::JmpNormal;
    bool bRunning = false;
    bool bStopped = false;
    LinkOutcome outcome = LinkOutcome::Done;
    std::string strPortError;
    std::string strVersion;
    DeviceFacts facts;
    int nTxBase = 0;
    std::vector<int> aDone;
};

CDeviceLink::CDeviceLink(const LinkSetup& setup) : p(std::make_unique<Impl>(setup)) {
    p->view.fnEntry = [this](int nRow) {
        if (p->bRunning && nRow >= 0 && nRow < kProgCount)
            p->aDone.push_back(nRow + 1);
    };
    std::error_code ec;
    const std::string strDir = std::filesystem::current_path(ec).string();
    std::string strArgs = "-p 1";
    if (setup.bEmulate)
        strArgs += " -e 1";
    if (setup.bTrace)
        strArgs += " -t 1";
    p->dlg.OnInitDialog(strArgs, strDir);
    p->view.fnTrace = setup.fnTrace;  // from the first device activity on
    p->gate.bOpen = true;
    // The port box holds the one port to open: COM1 for the emulated Handheld, else a
    // row past the (empty) enumerated list, which the logic opens by its text.
    if (p->view.ComboCount(IDC_COMPORT) == 0)
        p->view.ComboInsert(IDC_COMPORT, 0, "COM" + std::to_string(setup.nPort));
    p->view.ComboSetSel(IDC_COMPORT, 0);
}

CDeviceLink::~CDeviceLink() {
    p->dlg.OnDestroy();
}

void CDeviceLink::Connect() {
    p->Begin(true, DeviceOp::JmpNormal);
    p->dlg.OnConnect();
    if (p->view.GetText(IDC_CONNECT) != "disconnect") {
        p->bRunning = false;
        p->outcome = LinkOutcome::PortFailed;
        const std::string& strTrace = p->dlg.GetTrace();
        const std::string strPrefix = "Could Not Open Com Port - ";
        const std::string strText =
            strTrace.rfind(strPrefix, 0) == 0 ? strTrace.substr(strPrefix.size()) : strTrace;
        // The core names only the failed step; the serial layer knows why.
        p->strPortError = OpenErrorText(p->gate.GetLastError()) + " (" + strText + ")";
        return;
    }
    p->Settle();
}

void CDeviceLink::Start(DeviceOp op, int nProg) {
    for (const OpRow& row : kOps) {
        if (row.op != op)
            continue;
        p->Begin(false, op);
        const std::string strLabel = std::string(row.pLabel) + ": ";
        if (op == DeviceOp::ProgInfo) {
            // The info request of one program alone: no row of the box asks for it.
            p->dlg.StartCmd(CmdRdStaticInfo, nProg, &strLabel);
        } else {
            p->dlg.DeviceCommand(row.nCode, nProg - 1, strLabel);
        }
        p->Settle();
        return;
    }
}

bool CDeviceLink::IsBusy() const {
    return p->dlg.IsBusy();
}

LinkOutcome CDeviceLink::Outcome() const {
    return p->outcome;
}

std::string CDeviceLink::Message() const {
    const std::string& strTrace = p->dlg.GetTrace();
    const size_t nEnd = strTrace.find_last_not_of("\r\n");
    if (nEnd == std::string::npos)
        return {};
    const size_t nBreak = strTrace.find_last_of("\r\n", nEnd);
    const size_t nStart = nBreak == std::string::npos ? 0 : nBreak + 1;
    const size_t nFirst = strTrace.find_first_not_of(' ', nStart);
    return nFirst > nEnd ? std::string() : strTrace.substr(nFirst, nEnd + 1 - nFirst);
}

std::string CDeviceLink::PortError() const {
    return p->strPortError;
}

void CDeviceLink::Stop() {
    if (!p->dlg.IsBusy())
        return;
    p->bStopped = true;
    p->dlg.EndCmd();
    p->Settle();
}

void CDeviceLink::Close() {
    if (p->view.GetText(IDC_CONNECT) == "disconnect")
        p->dlg.OnConnect();
}

int CDeviceLink::Descriptor() const {
    return p->view.nWatchedFd;
}

int CDeviceLink::TimerPeriodMs() const {
    return p->view.nComPeriodMs;
}

bool CDeviceLink::TakeTimerRestart() {
    return std::exchange(p->view.bComRestarted, false);
}

void CDeviceLink::OnTimer() {
    p->dlg.OnTimer(kTimerCom);
    p->Settle();
}

void CDeviceLink::OnReadable() {
    p->dlg.OnComReadable();
    p->Settle();
}

int CDeviceLink::Exchanges() const {
    return p->dlg.TxCount() - p->nTxBase;
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
    return p->dlg.Store();
}

const StaticInfo& CDeviceLink::Info() const {
    return p->dlg.Info();
}

bool CDeviceLink::LoadFile(const std::string& strPath) {
    std::string strText;
    const bool bReadable = ReadWholeFile(strPath, strText);
    p->dlg.LoadProgFile(bReadable ? strPath : std::string());
    return bReadable;
}

bool CDeviceLink::StoreFile(const std::string& strPath) {
    p->view.strMessageBox.clear();
    p->dlg.StoreProgFile(strPath);
    return p->view.strMessageBox.empty();
}

void CDeviceLink::WriteProgToFile(int nProg, const std::string& strPath) {
    p->dlg.WriteProgToIni(nProg - 1, strPath);
}

std::vector<std::string> CDeviceLink::Listing() const {
    std::vector<std::string> aRows;
    for (int nRow = 0; nRow < p->view.ComboCount(IDC_PROGRAM); ++nRow)
        aRows.push_back(p->view.ComboGetRow(IDC_PROGRAM, nRow));
    return aRows;
}
