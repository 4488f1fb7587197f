// The main dialog's presenter: turns the window's clicks, keys and timer ticks into
// calls on the session's parts, and the parts' reports into changes of the window.
// It reaches the window only through DialogView and keeps no device, store or
// playback state of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ControlIds.h"
#include "app/DialogView.h"
#include "app/Session.h"

class CProgramDraft;

class CGlowdeskDlg : private SessionListener {
public:
    // The file dialogs' two filters, Windows style: ini files, and every file.
    static constexpr const char* kIniFilter = "ini-files |*.ini|All Files (*.*) |*.*|";

    CGlowdeskDlg(DialogView& view, CSession& session);
    ~CGlowdeskDlg() override;

    // ---- start-up and shut-down (GlowdeskDlg.cpp) ----
    // strArgs: the arguments without the program name; strCurrentDir: the current
    // directory without a trailing separator.
    bool OnInitDialog(const std::string& strArgs, const std::string& strCurrentDir);
    void OnDestroy();
    // The window is asked to close: true when it may, after the question about unsaved
    // work, if there is any, was answered with Save (and the store worked) or Discard.
    bool QueryClose();
    void OnSysCommand(int nId);
    // Timer ticks of the window: 1 playback, 2 communication.
    void OnTimer(int nTimerId);
    // The port's descriptor reports input (real ports only).
    void OnComReadable() { session.OnComReadable(); }

    // ---- LED panel, trace and file name (GlowdeskDlg.cpp) ----
    void OnLedClicked(int nLed);  // nLed 1..8, after the box changed its state
    // A typed character; true when it was taken (the digits 1 to 8).
    bool OnChar(char ch);
    void OnClr();
    void SetFileName(const std::string& strText);
    std::string GetFileName() const;
    // Rewrites row nEntry of the program box from the store.
    void ListProgEntry(int nEntry);

    // ---- command menu (CommandMenu.cpp) ----
    void OnStart();

    // ---- unsaved work (SaveQuestion.cpp) ----
    // Whether program nIndex (kWholeStore: all of them) may be replaced: true when no
    // unsaved work would be lost, or the user saved it or gave it up.
    bool MayReplace(int nIndex = CUnsavedWork::kWholeStore);
    // Stores the programs to strPath, or to a file the user chooses when it is empty; a
    // name without an extension gets ".ini". True when the file was written.
    bool StoreToFile(const std::string& strPath);
    // Files dropped on the window: one program file is loaded, anything else refused.
    void OnDropFiles(const std::vector<std::string>& aPaths);

    // ---- connect and device commands (Connect.cpp) ----
    void OnConnect();
    void DeviceCommand(int32_t nCode, int nProgRow, const std::string& strLabel);

    // ---- program editor (ProgramEdit.cpp) ----
    // The selected program (0..8) when it can be edited now, else -1: not for Random,
    // MIX or no selection, and not while a device operation runs.
    int EditableProgram() const;
    bool CanEditProgram() const { return EditableProgram() >= 0; }
    void OnEditProgram();  // opens the editor on the selected program
    // The edited program goes into the store; its row of the program box follows.
    void CommitProgram(int nIndex, const CProgramDraft& draft);
    // Plays aSteps on the panel with timer 1, as "run program" plays a program.
    void StartPreview(int nIndex, const std::vector<uint8_t>& aSteps);
    void UpdatePreview(const std::vector<uint8_t>& aSteps);
    void StopPreview();
    bool IsPreviewing() const { return session.Player().IsPreviewing(); }
    // ---- the COM port box (PortBox.cpp) ----
    // Enumerates the ports again and shows what changed, keeping the selected number;
    // nothing changes while a port is open. The window calls it when the box's list
    // opens and when device nodes come or go.
    void RefreshPortBox();

    bool IsAltIcons() const { return bAltIcons; }
    // The program-wide random generator, for the about box.
    CRand& Rand() { return session.Rand(); }

private:
    // Fills the port box with the session's ports, row by row.
    void ShowPortRows();

    // SessionListener: the parts' reports as window changes
    void OnTraceSet(const std::string& strText, bool bScrollToEnd) override;
    void OnTraceAppend(const std::string& strText, bool bScrollToEnd) override;
    void OnRxCount(int nCount, bool bReset) override;
    void OnTxCount(int nCount, bool bReset) override;
    void OnWatchPort(int nFd) override { view.WatchPort(nFd); }
    bool IsPortChosen() override { return view.ComboGetSel(IDC_COMPORT) >= 0; }
    void OnPortOpened() override { view.SetText(IDC_CONNECT, "disconnect"); }
    void OnBusy() override { view.SetText(IDC_START, "stop"); }
    void OnIdle() override { view.SetText(IDC_START, "start"); }
    void OnPollPeriod(int nPeriodMs) override { view.SetTimer(kTimerCom, nPeriodMs); }
    void OnProgEntryChanged(int nEntry) override { ListProgEntry(nEntry); }
    void OnLoadBegin(const std::string& strPath) override;
    void OnLoadEnd() override { view.ComboSetSel(IDC_PROGRAM, 0); }
    void OnStoreFailed(const std::string& strMessage) override { view.MessageBox(strMessage); }
    void OnUnsavedWork(bool bAny) override;
    uint8_t HeldLeds() override;
    void OnShowLeds(uint8_t byValue) override;
    void SetPlayTimer(int nPeriodMs) override { view.SetTimer(kTimerPlay, nPeriodMs); }
    void KillPlayTimer() override { view.KillTimer(kTimerPlay); }
    bool GetSpeed(int& nPos) override;
    bool HasRunIcon() override { return view.HasControl(IDC_RUNICON); }
    void ShowRunIcon(bool bLit) override { view.Show(IDC_RUNICON, bLit); }
    void OnPlaybackStarted() override { view.SetText(IDC_START, "stop"); }

    DialogView& view;
    CSession& session;
    bool bAltIcons = false;
};
