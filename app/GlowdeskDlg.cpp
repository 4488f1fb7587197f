#include "app/GlowdeskDlg.h"

#include "app/CommandLine.h"

CGlowdeskDlg::CGlowdeskDlg(DialogView& view, CSession& session) : view(view), session(session) {
    session.SetListener(this);
}

CGlowdeskDlg::~CGlowdeskDlg() {
    session.SetListener(nullptr);
}

bool CGlowdeskDlg::OnInitDialog(const std::string& strArgs, const std::string& strCurrentDir) {
    view.SetWindowIcon(IDR_MAINFRAME);

    const CommandLineOptions opts = ScanCommandLine(strArgs);
    SessionOptions options;
    options.bProgMode = opts.bProgMode;
    options.bComEmu = opts.bComEmu;
    options.bTrace = opts.bTrace;
#ifdef _WIN32
    options.strStartDir = strCurrentDir + "\\";
#else
    options.strStartDir = strCurrentDir + "/";
#endif
    session.Configure(options);
    bAltIcons = opts.bAltIcons;

    if (view.HasControl(IDC_RUNICON))
        view.SetIcon(IDC_RUNICON, bAltIcons ? IDI_RUN_SMILE : IDI_RUN_GREEN);
    for (const LedStatics& led : kLedStatics) {
        if (view.HasControl(led.nOn))
            view.SetIcon(led.nOn, bAltIcons ? IDI_LED_SMILE : IDI_LED_ON);
    }

    view.SliderSetRange(IDC_SPEED, 32, 5000);
    view.SliderSetPos(IDC_SPEED, 500);

    if (options.bProgMode) {
        std::string strTitle = view.GetTitle() + " Programmer";
        if (options.bComEmu)
            strTitle += " (EMU)";
        view.SetTitle(strTitle);
    }
    if (view.HasControl(IDC_COMMAND)) {
        for (int i = 0; i < session.CommandCount(); ++i)
            view.ComboInsert(IDC_COMMAND, i, session.Commands()[i].label);
        view.ComboSetSel(IDC_COMMAND, 0);
    }

    ShowPortRows();
    view.ComboSetSel(IDC_COMPORT, 0);

    session.Player().SetLeds(0);
    session.LoadProgFile(session.ResolveStartFile(opts.strStartFile));

    session.ResetCounters();
    view.SetTimer(kTimerCom, CCommandEngine::kIdlePollMs);
    return true;
}

void CGlowdeskDlg::OnDestroy() {
    view.KillTimer(kTimerPlay);
    view.KillTimer(kTimerCom);
    session.ClosePort();
}

void CGlowdeskDlg::OnSysCommand(int nId) {
    if ((nId & 0xFFF0) == IDM_ABOUTBOX)
        view.ShowAboutBox();
}

void CGlowdeskDlg::OnTimer(int nTimerId) {
    if (nTimerId == kTimerPlay)
        session.OnPlayTick();
    else if (nTimerId == kTimerCom)
        session.OnComTimer();
}

void CGlowdeskDlg::OnLedClicked(int nLed) {
    if (nLed < 1 || nLed > 8)
        return;
    session.ShowLeds(static_cast<uint8_t>(session.Player().Leds() & ~(1u << (nLed - 1))), true);
}

bool CGlowdeskDlg::OnChar(char ch) {
    if (ch < '1' || ch > '8')
        return false;
    CPlayer& player = session.Player();
    player.SetLeds(static_cast<uint8_t>(player.Leds() ^ (1u << (ch - '1'))));
    session.ShowLeds(player.Leds(), true);
    return true;
}

void CGlowdeskDlg::OnClr() {
    session.ResetCounters();
    session.Trace().SetTrace("", false);
}

void CGlowdeskDlg::SetFileName(const std::string& strText) {
    if (view.HasControl(IDC_FILENAME))
        view.SetText(IDC_FILENAME, strText);
}

std::string CGlowdeskDlg::GetFileName() const {
    return view.HasControl(IDC_FILENAME) ? view.GetText(IDC_FILENAME) : std::string();
}

void CGlowdeskDlg::ListProgEntry(int nEntry) {
    const std::string strText = session.Store().EntryText(nEntry);
    if (strText.empty())
        return;
    int nCount = view.ComboCount(IDC_PROGRAM);
    if (nCount < 0)
        nCount = 0;
    if (nEntry < nCount) {
        const int nSel = view.ComboGetSel(IDC_PROGRAM);
        view.ComboDelete(IDC_PROGRAM, nEntry);
        view.ComboInsert(IDC_PROGRAM, nEntry, strText);
        view.ComboSetSel(IDC_PROGRAM, nSel);
    } else {
        view.ComboInsert(IDC_PROGRAM, nEntry, strText);
    }
}

void CGlowdeskDlg::OnTraceSet(const std::string& strText, bool bScrollToEnd) {
    view.SetText(IDC_TRACE, strText);
    if (bScrollToEnd)
        view.ScrollToEnd(IDC_TRACE);
    else
        view.Redraw(IDC_TRACE);
}

void CGlowdeskDlg::OnTraceAppend(const std::string& strText, bool bScrollToEnd) {
    view.AppendText(IDC_TRACE, strText);
    if (bScrollToEnd)
        view.ScrollToEnd(IDC_TRACE);
    else
        view.Redraw(IDC_TRACE);
}

void CGlowdeskDlg::OnRxCount(int nCount, bool bReset) {
    view.SetText(IDC_RXCOUNT, "Rx: " + std::to_string(nCount));
    if (!bReset)
        view.Redraw(IDC_RXCOUNT);
}

void CGlowdeskDlg::OnTxCount(int nCount, bool bReset) {
    view.SetText(IDC_TXCOUNT, "Tx: " + std::to_string(nCount));
    if (!bReset)
        view.Redraw(IDC_TXCOUNT);
}

void CGlowdeskDlg::OnLoadBegin(const std::string& strPath) {
    view.ComboReset(IDC_PROGRAM);
    SetFileName(strPath);
}

uint8_t CGlowdeskDlg::HeldLeds() {
    uint8_t byHeld = 0;
    for (int n = 0; n < 8; ++n) {
        if (view.GetCheck(IDC_LED_CHECK_1 + n))
            byHeld |= static_cast<uint8_t>(1u << n);
    }
    return byHeld;
}

void CGlowdeskDlg::OnShowLeds(uint8_t byValue) {
    for (int n = 0; n < 8; ++n) {
        const bool bOn = (byValue & (1u << n)) != 0;
        view.Show(kLedStatics[n].nOff, !bOn);
        view.Show(kLedStatics[n].nOn, bOn);
    }
    // The panel may be hidden behind the editor: it shows the preview itself.
    if (session.Player().IsPreviewing())
        view.ShowPreviewStep(session.Player().PreviewStep(), byValue);
}

bool CGlowdeskDlg::GetSpeed(int& nPos) {
    if (!view.HasControl(IDC_SPEED))
        return false;
    nPos = view.SliderGetPos(IDC_SPEED);
    return true;
}
