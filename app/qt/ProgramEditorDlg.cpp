#include "app/qt/ProgramEditorDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/ControlIds.h"
#include "app/qt/DraftCommand.h"
#include "app/qt/NameValidator.h"
#include "app/qt/StepGrid.h"
#include "app/qt/StepTableModel.h"
#include "base/qt/Cp1252.h"
#include "base/qt/IconRes.h"
#include "programs/StepPatterns.h"

namespace {

constexpr int kPreviewLampSize = 18;

// The name field would take the undo keys for its own history; the editor's history
// holds the name too, so they go there.
class UndoKeysToWindow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::ShortcutOverride) {
            auto* pKey = static_cast<QKeyEvent*>(pEvent);
            if (pKey->matches(QKeySequence::Undo) || pKey->matches(QKeySequence::Redo) ||
                pKey->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
                pEvent->ignore();
                return true;  // not taken: the window's shortcut gets the key
            }
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

QPushButton* ButtonFor(QAction* pAction, QWidget* pParent) {
    auto* pButton = new QPushButton(pAction->text(), pParent);
    pButton->setAccessibleName(pAction->text());
    pButton->setAutoDefault(false);
    pButton->setEnabled(pAction->isEnabled());
    QObject::connect(pButton, &QPushButton::clicked, pAction, &QAction::trigger);
    QObject::connect(pAction, &QAction::changed, pButton,
                     [pButton, pAction] { pButton->setEnabled(pAction->isEnabled()); });
    return pButton;
}

}  // namespace

ProgramEditorDlg::ProgramEditorDlg(const CProgramDraft& draft, int nIndex, int nLitIcon,
                                   QWidget* pParent)
    : QDialog(pParent), nIndex(nIndex), nLitIcon(nLitIcon) {
    setWindowTitle(QStringLiteral("Edit program %1").arg(nIndex + 1));
    setAccessibleName(windowTitle());
    pModel = new StepTableModel(draft, this);
    pUndoStack = new QUndoStack(this);
    pGrid = new StepGrid(nLitIcon, this);
    pGrid->setModel(pModel);
    BuildActions();
    BuildLayout();

    connect(pModel, &StepTableModel::edited, this, &ProgramEditorDlg::OnEdited);
    connect(pGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ProgramEditorDlg::UpdateStates);
    connect(pGrid, &StepGrid::toggleRequested, this, [this](int nStep, int nLed, int nStroke) {
        Push(ToggleLedEdit(Draft(), nStep, nLed), QStringLiteral("Toggle LED"),
             nStroke > 0 ? nStroke : DraftCommand::kNoMerge);
    });
    connect(
        pGrid, &StepGrid::paintRequested, this, [this](int nStep, int nLed, bool bOn, int nStroke) {
            Push(PaintLedEdit(Draft(), nStep, nLed, bOn), QStringLiteral("Paint LEDs"), nStroke);
        });
    connect(pName, &QLineEdit::textEdited, this, [this](const QString& strText) {
        Push(draft::SetName{ToCp1252(strText)}, QStringLiteral("Name"), DraftCommand::kNameGroup);
    });
    connect(pMix, &QCheckBox::clicked, this, [this](bool bChecked) {
        Push(draft::SetMix{bChecked}, QStringLiteral("MIX allowed"));
    });
    connect(pPreview, &QPushButton::toggled, this, [this](bool bOn) {
        if (bOn)
            emit previewStarted();
        else
            emit previewStopped();
    });

    pGrid->SetCurrentStep(0);
    UpdateStates();
    ShowPlaying(-1, 0);
    pGrid->setFocus();
}

const CProgramDraft& ProgramEditorDlg::Draft() const {
    return pModel->Draft();
}

bool ProgramEditorDlg::IsPreviewing() const {
    return pPreview->isChecked();
}

void ProgramEditorDlg::ShowPlaying(int nStep, uint8_t byLeds) {
    for (int n = 0; n < 8; ++n) {
        const bool bOn = nStep >= 0 && (byLeds & (0x80u >> n)) != 0;
        apLamps[n]->setPixmap(
            IconPixmap(bOn ? nLitIcon : IDI_LED_OFF, kPreviewLampSize, devicePixelRatioF()));
        apLamps[n]->setAccessibleDescription(bOn ? QStringLiteral("on") : QStringLiteral("off"));
    }
    pModel->SetPlayingStep(nStep);
}

QAction* ProgramEditorDlg::AddStepAction(const QString& strText, const QKeySequence& keys,
                                         const std::function<void()>& fnDo) {
    auto* pAction = new QAction(strText, this);
    pAction->setShortcut(keys);
    // Only while the grid has the focus: in the name field these keys edit the text.
    pAction->setShortcutContext(Qt::WidgetShortcut);
    connect(pAction, &QAction::triggered, this, fnDo);
    pGrid->addAction(pAction);
    return pAction;
}

void ProgramEditorDlg::BuildActions() {
    pInsert = AddStepAction(QStringLiteral("Insert step"), QKeySequence(Qt::Key_Insert), [this] {
        Push(InsertAfterEdit(pGrid->CurrentStep()), QStringLiteral("Insert step"));
    });
    pDuplicate = AddStepAction(
        QStringLiteral("Duplicate step"), QKeySequence(Qt::ControlModifier | Qt::Key_D), [this] {
            Push(DuplicateEdit(Draft(), pGrid->CurrentStep()), QStringLiteral("Duplicate step"));
        });
    pDelete = AddStepAction(QStringLiteral("Delete step"), QKeySequence(Qt::Key_Delete), [this] {
        Push(draft::RemoveStep{pGrid->CurrentStep()}, QStringLiteral("Delete step"));
    });
    pMoveUp = AddStepAction(
        QStringLiteral("Move step up"), QKeySequence(Qt::ControlModifier | Qt::Key_Up),
        [this] { Push(MoveEdit(pGrid->CurrentStep(), true), QStringLiteral("Move step up")); });
    pMoveDown = AddStepAction(QStringLiteral("Move step down"),
                              QKeySequence(Qt::ControlModifier | Qt::Key_Down), [this] {
                                  const int nStep = pGrid->CurrentStep();
                                  Push(MoveEdit(nStep, false), QStringLiteral("Move step down"));
                                  pGrid->SetCurrentStep(nStep + 1);  // the cursor goes along
                              });
    pGrid->setContextMenuPolicy(Qt::ActionsContextMenu);

    QAction* pUndo = pUndoStack->createUndoAction(this, QStringLiteral("Undo"));
    pUndo->setObjectName(QStringLiteral("Undo"));
    pUndo->setShortcut(QKeySequence::Undo);
    QAction* pRedo = pUndoStack->createRedoAction(this, QStringLiteral("Redo"));
    pRedo->setObjectName(QStringLiteral("Redo"));
    pRedo->setShortcuts({QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z),
                         QKeySequence(Qt::ControlModifier | Qt::Key_Y)});
    addAction(pUndo);
    addAction(pRedo);
}

void ProgramEditorDlg::BuildLayout() {
    auto* pNameLabel = new QLabel(QStringLiteral("&Name:"), this);
    pName = new QLineEdit(FromCp1252(Draft().Name()), this);
    pName->setAccessibleName(QStringLiteral("Name"));
    pName->setMaxLength(kMaxNameLen);
    pName->setValidator(new NameValidator(pName));
    pName->installEventFilter(new UndoKeysToWindow(pName));
    pNameLabel->setBuddy(pName);
    pMix = new QCheckBox(QStringLiteral("MIX allowed"), this);
    pMix->setAccessibleName(pMix->text());
    pMix->setChecked(Draft().MixAllowed());
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(pNameLabel);
    pTop->addWidget(pName, 1);
    pTop->addSpacing(12);
    pTop->addWidget(pMix);

    pGrid->setAccessibleName(QStringLiteral("Steps"));
    // Eight lamps always fit without a horizontal scroll bar.
    pGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int nRowHeader = pGrid->fontMetrics().horizontalAdvance(StepTableModel::kPlayingMark +
                                                                  QStringLiteral("8888")) +
                           8;
    pGrid->verticalHeader()->setFixedWidth(nRowHeader);
    pGrid->setFixedWidth(nRowHeader + 8 * pGrid->horizontalHeader()->defaultSectionSize() +
                         pGrid->verticalScrollBar()->sizeHint().width() + 2 * pGrid->frameWidth());
    pGrid->setMinimumHeight(12 * pGrid->verticalHeader()->defaultSectionSize());

    auto* pFill = new QPushButton(QStringLiteral("Fill from a pattern"), this);
    pFill->setAccessibleName(pFill->text());
    pFill->setAutoDefault(false);
    auto* pPatterns = new QMenu(pFill);
    pPatterns->setAccessibleName(QStringLiteral("Patterns"));
    for (const StepPattern& pattern : kStepPatterns) {
        const QString strName = QString::fromLatin1(pattern.pName);
        connect(pPatterns->addAction(strName), &QAction::triggered, this,
                [this, strName, pMake = pattern.pMake] {
                    Push(draft::ReplaceSteps{pMake()}, QStringLiteral("Fill: %1").arg(strName));
                });
    }
    pFill->setMenu(pPatterns);
    pPreview = new QPushButton(QStringLiteral("Preview"), this);
    pPreview->setAccessibleName(pPreview->text());
    pPreview->setCheckable(true);
    pPreview->setAutoDefault(false);

    auto* pSide = new QVBoxLayout;
    for (QAction* pAction : {pInsert, pDuplicate, pDelete})
        pSide->addWidget(ButtonFor(pAction, this));
    pSide->addSpacing(12);
    pSide->addWidget(pFill);
    pSide->addWidget(pPreview);
    pSide->addStretch(1);
    // The preview's own lamps: the window's panel may lie behind the editor.
    auto* pLampRow = new QHBoxLayout;
    auto* pLampLabel = new QLabel(QStringLiteral("Preview:"), this);
    pLampRow->addWidget(pLampLabel);
    for (int n = 0; n < 8; ++n) {
        QLabel*& pLamp = apLamps[n];
        pLamp = new QLabel(this);
        pLamp->setFixedSize(kPreviewLampSize, kPreviewLampSize);
        pLamp->setAccessibleName(QStringLiteral("Preview LED %1").arg(8 - n));
        pLampRow->addWidget(pLamp);
    }
    pLampRow->addStretch(1);
    auto* pMiddle = new QHBoxLayout;
    pMiddle->addWidget(pGrid);
    pMiddle->addLayout(pSide);

    pStatus = new QLabel(this);
    pStatus->setAccessibleName(QStringLiteral("Step count"));
    pStatus->setWordWrap(true);

    pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setAccessibleName(pOk->text());
    pOk->setDefault(true);
    auto* pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    pCancel->setAccessibleName(pCancel->text());
    pCancel->setAutoDefault(false);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch(1);
    pBottom->addWidget(pOk);
    pBottom->addWidget(pCancel);

    auto* pMain = new QVBoxLayout(this);
    pMain->addLayout(pTop);
    pMain->addLayout(pLampRow);
    pMain->addLayout(pMiddle, 1);
    pMain->addWidget(pStatus);
    pMain->addLayout(pBottom);
}

QAction* ProgramEditorDlg::Action(const QString& strName) const {
    for (QAction* pAction : pGrid->actions() + actions()) {
        if (pAction->text() == strName || pAction->objectName() == strName)
            return pAction;
    }
    return nullptr;
}

void ProgramEditorDlg::Push(const DraftEdit& edit, const QString& strText, int nMergeGroup) {
    if (!Draft().CanApply(edit)) {
        UpdateStates();  // puts back a field that showed what was refused
        return;
    }
    pUndoStack->push(new DraftCommand(*pModel, edit, strText, nMergeGroup));
}

void ProgramEditorDlg::OnEdited(int nFocusStep) {
    if (nFocusStep >= 0 || pGrid->CurrentStep() < 0)
        pGrid->SetCurrentStep(std::max(nFocusStep, 0));
    UpdateStates();
    if (IsPreviewing())
        emit previewChanged();
}

void ProgramEditorDlg::UpdateStates() {
    const CProgramDraft& d = Draft();
    const int nSteps = d.StepCount();
    const int nStep = pGrid->CurrentStep();
    pInsert->setEnabled(d.CanAddStep());
    pDuplicate->setEnabled(d.CanAddStep() && nStep >= 0);
    pDelete->setEnabled(nStep >= 0);
    pMoveUp->setEnabled(nStep > 0);
    pMoveDown->setEnabled(nStep >= 0 && nStep + 1 < nSteps);

    // Undo and redo reach the fields here; typing reaches the draft through them.
    if (ToCp1252(pName->text()) != d.Name())
        pName->setText(FromCp1252(d.Name()));
    pMix->setChecked(d.MixAllowed());

    // A program file reads a program named "-" as an empty slot: its steps would be
    // lost at the next load.
    const bool bNameEmpties = d.Name() == "-" && nSteps > 0;
    pOk->setEnabled(!bNameEmpties);
    if (bNameEmpties) {
        pStatus->setText(
            QStringLiteral("The name \"-\" marks an empty program; choose another "
                           "name to keep the steps."));
    } else {
        pStatus->setText(QStringLiteral("%1 %2 of at most %3")
                             .arg(nSteps)
                             .arg(nSteps == 1 ? QStringLiteral("step") : QStringLiteral("steps"))
                             .arg(d.MaxSteps()));
    }
}

bool ProgramEditorDlg::AskDiscard() {
    if (fnAskDiscard)
        return fnAskDiscard();
    return QMessageBox::question(
               this, windowTitle(),
               QStringLiteral("Discard the changes to program %1?").arg(nIndex + 1),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void ProgramEditorDlg::reject() {
    if (Draft().IsChanged() && !AskDiscard())
        return;
    QDialog::reject();
}

void ProgramEditorDlg::done(int nResult) {
    // Whichever way the editor closes, its preview ends first.
    if (pPreview->isChecked())
        pPreview->setChecked(false);
    QDialog::done(nResult);
}
