// The editor of one light program: a grid of its steps, its name and MIX flag, undo
// and redo, patterns and a preview. It works on a draft; the window that opened it
// takes the draft on OK and plays the preview while asked to.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "programs/ProgramDraft.h"

class DraftCommand;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QUndoStack;
class StepGrid;
class StepTableModel;

class ProgramEditorDlg : public QDialog {
    Q_OBJECT

public:
    // nIndex 0..8; nLitIcon: the icon resource the panel shows for a lit LED.
    ProgramEditorDlg(const CProgramDraft& draft, int nIndex, int nLitIcon,
                     QWidget* pParent = nullptr);

    const CProgramDraft& Draft() const;
    int ProgramIndex() const { return nIndex; }
    bool IsPreviewing() const;
    // The preview shows step nStep (0-based) lighting byLeds: on the editor's own lamps
    // and marked in the grid. -1: no step plays, the lamps are dark.
    void ShowPlaying(int nStep, uint8_t byLeds);
    // Asked before changes are thrown away; true throws them away. Tests answer it.
    void SetDiscardQuestion(std::function<bool()> fnAsk) { fnAskDiscard = std::move(fnAsk); }

    // For tests and the window
    StepGrid* Grid() const { return pGrid; }
    QUndoStack* UndoStack() const { return pUndoStack; }
    QAction* Action(const QString& strName) const;

    void reject() override;
    void done(int nResult) override;

signals:
    // The preview starts, its steps change while it plays, it stops.
    void previewStarted();
    void previewChanged();
    void previewStopped();

private:
    void BuildActions();
    void BuildLayout();
    QAction* AddStepAction(const QString& strText, const QKeySequence& keys,
                           const std::function<void()>& fnDo);
    // Pushes the edit onto the undo history unless the draft refuses it.
    void Push(const DraftEdit& edit, const QString& strText, int nMergeGroup = -1);
    void OnEdited(int nFocusStep);
    void UpdateStates();
    bool AskDiscard();

    int nIndex;
    StepTableModel* pModel = nullptr;
    QUndoStack* pUndoStack = nullptr;
    StepGrid* pGrid = nullptr;
    QLineEdit* pName = nullptr;
    QCheckBox* pMix = nullptr;
    QLabel* pStatus = nullptr;
    QLabel* apLamps[8] = {};  // LED 8 first, as on the panel
    int nLitIcon;
    QPushButton* pPreview = nullptr;
    QPushButton* pOk = nullptr;
    QAction* pInsert = nullptr;
    QAction* pDuplicate = nullptr;
    QAction* pDelete = nullptr;
    QAction* pMoveUp = nullptr;
    QAction* pMoveDown = nullptr;
    std::function<bool()> fnAskDiscard;
};
