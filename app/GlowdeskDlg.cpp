#include "app/GlowdeskDlg.h"

#include <cstdio>
#include <ctime>
#include <iterator>

#include "app/CommandLine.h"
#include "protocol/Frames.h"

uint32_t SystemClock::Seconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}

CGlowdeskDlg::CGlowdeskDlg(DialogView& view, CSerialPort& serial, Waiter& waiter, Clock& clock)
    : view(view), serial(serial), waiter(waiter), clock(clock) {
    store.RandomLen = kDefaultRandomLen;
    playState.MixProg = 0;
    playState.MixCount = 0;
}

bool CGlowdeskDlg::OnInitDialog(const std::string& strArgs, const std::string& strCurrentDir) {
#ifdef _WIN32
    g_strStartDir = strCurrentDir + "\\";
#else
    g_strStartDir = strCurrentDir + "/";
#endif
    view.SetWindowIcon(IDR_MAINFRAME);

    const CommandLineOptions opts = ScanCommandLine(strArgs);
    bProgMode = opts.bProgMode;
    bComEmu = opts.bComEmu;
    bTrace = opts.bTrace;
    bAltIcons = opts.bAltIcons;

    if (view.HasControl(IDC_RUNICON))
        view.SetIcon(IDC_RUNICON, bAltIcons ? IDI_RUN_SMILE : IDI_RUN_GREEN);
    for (const LedStatics& led : kLedStatics) {
        if (view.HasControl(led.nOn))
            view.SetIcon(led.nOn, bAltIcons ? IDI_LED_SMILE : IDI_LED_ON);
    }

    view.SliderSetRange(IDC_SPEED, 32, 5000);
    view.SliderSetPos(IDC_SPEED, 500);

    if (bProgMode) {
        std::string strTitle = view.GetTitle() + " Programmer";
        if (bComEmu)
            strTitle += " (EMU)";
        view.SetTitle(strTitle);
        pCmdList = CmdListProgrammer;
        nCmdCount = static_cast<int32_t>(std::size(CmdListProgrammer));
    } else {
        pCmdList = CmdListNormal;
        nCmdCount = static_cast<int32_t>(std::size(CmdListNormal));
    }
    if (pCmdList != nullptr && view.HasControl(IDC_COMMAND)) {
        for (int i = 0; i < nCmdCount; ++i)
            view.ComboInsert(IDC_COMMAND, i, pCmdList[i].label);
        view.ComboSetSel(IDC_COMMAND, 0);
    }

    serial.EnumeratePorts(aPortNumbers);
    // The emulated Handheld needs no port, but connect needs a row to choose: on a
    // machine without ports, emulation still offers COM1.
    const bool bEmulatedOnly = bComEmu && aPortNumbers.empty();
    if (bEmulatedOnly)
        aPortNumbers.push_back(1);
    for (size_t i = 0; i < aPortNumbers.size(); ++i) {
        const int nRow = static_cast<int>(i);
        view.ComboInsert(IDC_COMPORT, nRow, "COM" + std::to_string(aPortNumbers[i]));
        view.ComboSetRowTip(
            IDC_COMPORT, nRow,
            bEmulatedOnly ? "emulated Handheld" : serial.DevicePath(aPortNumbers[i]));
    }
    view.ComboSetSel(IDC_COMPORT, 0);

    byLeds = 0;
    const std::string strStartFile = ResolveStartupName(opts.strStartFile, g_strStartDir);

    playState = PlayState{};
    store.RandomLen = 0;
    staticInfo = StaticInfo{};
    store.ClearPrograms();
    LoadProgFile(strStartFile);

    ClearCmdState();
    ResetRxCount();
    ResetTxCount();
    view.SetTimer(kTimerCom, 100);
    return true;
}

void CGlowdeskDlg::OnDestroy() {
    view.KillTimer(kTimerPlay);
    view.KillTimer(kTimerCom);
    WatchComPort(-1);
    if (hComPort != kNullHandle)
        serial.Close(hComPort);
}

void CGlowdeskDlg::OnSysCommand(int nId) {
    if ((nId & 0xFFF0) == IDM_ABOUTBOX)
        view.ShowAboutBox();
}

void CGlowdeskDlg::OnTimer(int nTimerId) {
    if (nTimerId == kTimerPlay) {
        OnPlayTick();
    } else if (nTimerId == kTimerCom && hComPort != kNullHandle) {
        OnComTimer();
    }
}

void CGlowdeskDlg::ShowLeds(uint8_t byValue, bool bSend) {
    for (int n = 0; n < 8; ++n) {
        if (view.GetCheck(IDC_LED_CHECK_1 + n))
            byValue |= static_cast<uint8_t>(1u << n);
    }
    for (int n = 0; n < 8; ++n) {
        const bool bOn = (byValue & (1u << n)) != 0;
        view.Show(kLedStatics[n].nOff, !bOn);
        view.Show(kLedStatics[n].nOn, bOn);
    }
    if (hComPort != kNullHandle && bSend)
        SendLedRequest(byValue);
}

void CGlowdeskDlg::OnLedClicked(int nLed) {
    if (nLed < 1 || nLed > 8)
        return;
    ShowLeds(static_cast<uint8_t>(byLeds & ~(1u << (nLed - 1))), true);
}

bool CGlowdeskDlg::OnChar(char ch) {
    if (ch < '1' || ch > '8')
        return false;
    byLeds ^= static_cast<uint8_t>(1u << (ch - '1'));
    ShowLeds(byLeds, true);
    return true;
}

void CGlowdeskDlg::OnClr() {
    ResetRxCount();
    ResetTxCount();
    SetTrace("", false);
}

void CGlowdeskDlg::ResetRxCount() {
    nRxCount = 0;
    view.SetText(IDC_RXCOUNT, "Rx: 0");
}

void CGlowdeskDlg::ResetTxCount() {
    nTxCount = 0;
    view.SetText(IDC_TXCOUNT, "Tx: 0");
}

void CGlowdeskDlg::AddRxCount(int n) {
    if (n == 0)
        return;
    nRxCount += n;
    view.SetText(IDC_RXCOUNT, "Rx: " + std::to_string(nRxCount));
    view.Redraw(IDC_RXCOUNT);
}

void CGlowdeskDlg::AddTxCount(int n) {
    if (n == 0)
        return;
    nTxCount += n;
    view.SetText(IDC_TXCOUNT, "Tx: " + std::to_string(nTxCount));
    view.Redraw(IDC_TXCOUNT);
}

void CGlowdeskDlg::SetFileName(const std::string& strText) {
    if (view.HasControl(IDC_FILENAME))
        view.SetText(IDC_FILENAME, strText);
}

std::string CGlowdeskDlg::GetFileName() const {
    return view.HasControl(IDC_FILENAME) ? view.GetText(IDC_FILENAME) : std::string();
}

void CGlowdeskDlg::SetTrace(const std::string& strText, bool bScrollToEnd) {
    strTrace = strText;
    view.SetText(IDC_TRACE, strTrace);
    if (bScrollToEnd)
        view.ScrollToEnd(IDC_TRACE);
    else
        view.Redraw(IDC_TRACE);
}

void CGlowdeskDlg::AppendTrace(const std::string& strText, bool bScrollToEnd) {
    // The log only grows here: append to the end instead of setting all of it again.
    strTrace += strText;
    view.AppendText(IDC_TRACE, strText);
    if (bScrollToEnd)
        view.ScrollToEnd(IDC_TRACE);
    else
        view.Redraw(IDC_TRACE);
}
