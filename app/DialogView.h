// What the dialog logic asks of its window: controls by resource id, timers by id,
// and the few modal questions. The Qt window implements it; tests use a fake.
// Texts are narrow Windows-1252 bytes; the window converts them for display.
#pragma once

#include <optional>
#include <string>

#include "programs/LightProgram.h"

// The answers to the question before unsaved work would be lost.
enum class SaveAnswer { Save, Discard, Cancel };

class DialogView {
public:
    virtual ~DialogView() = default;

    // An operation on a control that does not exist does nothing; getters give
    // empty/false/-1.
    virtual bool HasControl(int nId) const = 0;

    // Window caption and icons
    virtual std::string GetTitle() const = 0;
    virtual void SetTitle(const std::string& strTitle) = 0;
    virtual void SetWindowIcon(int nIconRes) = 0;

    // Text of a button, static or edit box
    virtual std::string GetText(int nId) const = 0;
    virtual void SetText(int nId, const std::string& strText) = 0;
    // Multi-line edit: add text at the end without re-setting the rest.
    virtual void AppendText(int nId, const std::string& strText) = 0;
    // Multi-line edit: bring the last line into view.
    virtual void ScrollToEnd(int nId) = 0;
    // Ask for a repaint of a control.
    virtual void Redraw(int nId) = 0;

    // Check boxes
    virtual bool GetCheck(int nId) const = 0;
    virtual void SetCheck(int nId, bool bChecked) = 0;

    // Visibility and pictures of statics
    virtual void Show(int nId, bool bShow) = 0;
    virtual bool IsShown(int nId) const = 0;
    virtual void SetIcon(int nId, int nIconRes) = 0;

    // Combo boxes (rows addressed by index, never sorted)
    virtual void ComboReset(int nId) = 0;
    virtual int ComboCount(int nId) const = 0;   // -1 on error
    virtual int ComboGetSel(int nId) const = 0;  // -1 when nothing is selected
    virtual void ComboSetSel(int nId, int nRow) = 0;
    virtual std::string ComboGetRow(int nId, int nRow) const = 0;
    virtual void ComboInsert(int nId, int nRow, const std::string& strText) = 0;
    virtual void ComboDelete(int nId, int nRow) = 0;
    virtual void ComboSetRowTip(int nId, int nRow, const std::string& strTip) = 0;

    // Trackbar
    virtual void SliderSetRange(int nId, int nMin, int nMax) = 0;
    virtual void SliderSetPos(int nId, int nPos) = 0;
    virtual int SliderGetPos(int nId) const = 0;

    // Window timers: (re)start with a period, or stop. Setting a running timer
    // changes its period.
    virtual void SetTimer(int nTimerId, int nPeriodMs) = 0;
    virtual void KillTimer(int nTimerId) = 0;

    // Serial input: call CGlowdeskDlg::OnComReadable whenever descriptor nFd has input
    // (or has hung up); -1 stops watching. Watching an nFd already watched does nothing.
    // Where descriptors cannot be watched this does nothing and timer 2 alone polls.
    virtual void WatchPort(int nFd) = 0;

    // Modal questions
    virtual void MessageBox(const std::string& strText) = 0;
    // A question with the three answers Save, Discard and Cancel; closing it cancels.
    virtual SaveAnswer AskToSave(const std::string& strText) = 0;
    // Empty optional when the user cancels. strFilter is the Windows-style
    // "name|pattern|name|pattern|" list.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& strFilter) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const std::string& strFilter) = 0;
    virtual void ShowAboutBox() = 0;
    // Opens the editor on a copy of program nIndex (0..8); it reports back through
    // CGlowdeskDlg's program editor calls.
    virtual void ShowProgramEditor(int nIndex, const LightProgram& r) = 0;
    // The editor's preview shows its step nStep (0-based) lighting byLeds; -1 when the
    // preview has ended.
    virtual void ShowPreviewStep(int nStep, uint8_t byLeds) = 0;
};
