// The main window (dialog 102) in Qt Widgets: builds the controls from the template
// table, carries out the logic's requests on them by id and forwards clicks, keys,
// timer ticks and the close to CGlowdeskDlg.
#pragma once

#include <QDialog>
#include <QPointer>
#include <map>

#include "app/DialogView.h"
#include "app/qt/PathSpellings.h"
#include "base/qt/DialogUnits.h"

class CDisplayBatch;
class CGlowdeskDlg;
class ProgramEditorDlg;
class PortWatcher;
class QLabel;
class QSocketNotifier;
class QTimer;
struct DialogControl;

class GlowdeskWindow : public QDialog, public DialogView {
    Q_OBJECT

public:
    explicit GlowdeskWindow(QWidget* pParent = nullptr);
    ~GlowdeskWindow() override;

    // The logic that receives the window's events; set before the window is shown.
    void Attach(CGlowdeskDlg* pDlgLogic) { pDlg = pDlgLogic; }

    // For tests: the widget of a control id (the first of its kind), timer state.
    QWidget* Control(int nId) const;
    bool IsTimerRunning(int nTimerId) const;
    int TimerPeriod(int nTimerId) const;
    // The descriptor watched for serial input, or -1.
    int WatchedPort() const;
    // What tells the window that device nodes came or went (none on Windows).
    PortWatcher* DeviceNodeWatcher() const { return pPortWatcher; }
    const DialogUnits& Units() const { return units; }
    // The program editor while it is open, else null.
    ProgramEditorDlg* Editor() const;
    // Shows what the trace log and the counters are waiting for, now (otherwise within
    // a frame).
    void FlushDisplay();

    // DialogView
    bool HasControl(int nId) const override;
    std::string GetTitle() const override;
    void SetTitle(const std::string& strTitle) override;
    void SetWindowIcon(int nIconRes) override;
    std::string GetText(int nId) const override;
    void SetText(int nId, const std::string& strText) override;
    void AppendText(int nId, const std::string& strText) override;
    void ScrollToEnd(int nId) override;
    void Redraw(int nId) override;
    bool GetCheck(int nId) const override;
    void SetCheck(int nId, bool bChecked) override;
    void Show(int nId, bool bShow) override;
    bool IsShown(int nId) const override;
    void SetIcon(int nId, int nIconRes) override;
    void ComboReset(int nId) override;
    int ComboCount(int nId) const override;
    int ComboGetSel(int nId) const override;
    void ComboSetSel(int nId, int nRow) override;
    std::string ComboGetRow(int nId, int nRow) const override;
    void ComboInsert(int nId, int nRow, const std::string& strText) override;
    void ComboDelete(int nId, int nRow) override;
    void ComboSetRowTip(int nId, int nRow, const std::string& strTip) override;
    void SliderSetRange(int nId, int nMin, int nMax) override;
    void SliderSetPos(int nId, int nPos) override;
    int SliderGetPos(int nId) const override;
    void SetTimer(int nTimerId, int nPeriodMs) override;
    void KillTimer(int nTimerId) override;
    void WatchPort(int nFd) override;
    void MessageBox(const std::string& strText) override;
    SaveAnswer AskToSave(const std::string& strText) override;
    std::optional<std::string> ChooseOpenFile(const std::string& strFilter) override;
    std::optional<std::string> ChooseSaveFile(const std::string& strFilter) override;
    void ShowAboutBox() override;
    void ShowProgramEditor(int nIndex, const LightProgram& r) override;
    void ShowPreviewStep(int nStep, uint8_t byLeds) override;

    void done(int nResult) override;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;
    // However the window is asked to close, the logic may keep it open.
    void closeEvent(QCloseEvent* pEvent) override;

private:
    QWidget* CreateControl(const DialogControl& ctl);
    // A path chosen in a file dialog as the logic takes it; empty when cancelled.
    std::optional<std::string> PathResult(const QString& strPath);
    void ConnectClicks();
    // The port box follows the machine: refreshed when its list opens and when device
    // nodes come or go.
    void FollowPorts();
    void SetAccessibleNames();
    void ConnectSlider();
    // Keeps a lamp's or the run indicator's description at "on" or "off".
    void DescribeState(int nId);
    // The window's own controls and the drop-down lists they open.
    bool IsOwnWidget(QWidget* pWidget, bool* pInPopup) const;
    bool FilterKey(QKeyEvent* pEvent, bool bInPopup);
    // Files dragged over or dropped anywhere on the window; false for other drags.
    bool FilterDrop(QEvent* pEvent);
    void RenderIcon(QLabel* pLabel);
    // A picture that keeps its place: shown, or cleared.
    static void ShowPicture(QLabel* pLabel, bool bShow);
    void ShowSystemMenu(const QPoint& ptGlobal);

    CGlowdeskDlg* pDlg = nullptr;
    DialogUnits units;
    std::map<int, QWidget*> mapControls;
    std::map<int, QTimer*> mapTimers;
    QSocketNotifier* pPortNotifier = nullptr;
    QPointer<ProgramEditorDlg> pEditor;
    PortWatcher* pPortWatcher = nullptr;
    CPathSpellings paths;
    CDisplayBatch* pBatch = nullptr;
    bool bScreenWatched = false;
    bool bSettingCheck = false;  // the logic sets a check box: no click
    bool bDestroyed = false;
};
