// The program editor in the window, offscreen: opening it, the grid's mouse and keys,
// the name field, undo and redo, patterns, OK and Cancel, the preview on the line.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/qt/NameValidator.h"
#include "app/qt/ProgramEditorDlg.h"
#include "app/qt/StepGrid.h"
#include "app/qt/StepTableModel.h"
#include "tests/qt/WindowHarness.h"
#include "tests/support/ScriptedPeer.h"

namespace {

struct EditorRig : WindowHarness {
    explicit EditorRig(const std::string& strArgs = "-p 1 -e 1", ComApi* pApi = nullptr)
        : WindowHarness(strArgs, pApi) {}

    void SetProg(int nIndex, const char* pName, std::initializer_list<uint8_t> steps,
                 bool bMix = false) {
        LightProgram& r = session.Store().aProgs[nIndex];
        r = LightProgram{};
        std::strcpy(r.Name, pName);
        r.MixAllowed = bMix ? 1 : 0;
        for (uint8_t by : steps)
            r.Data[r.Steps++] = by;
        dlg.ListProgEntry(nIndex);
    }
    // Selects a row of the program box and presses F2.
    ProgramEditorDlg* OpenWithF2(int nRow) {
        window.ComboSetSel(IDC_PROGRAM, nRow);
        QTest::keyClick(window.Control(IDC_COMMAND), Qt::Key_F2);
        ProgramEditorDlg* pEditor = window.Editor();
        // Shortcuts need the editor to be the active window, as it is on a screen.
        if (pEditor) {
            pEditor->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(pEditor));
        }
        return pEditor;
    }
    std::string ProgRow(int nRow) const { return window.ComboGetRow(IDC_PROGRAM, nRow); }
    std::vector<uint8_t> StoredSteps(int nIndex) {
        const LightProgram& r = session.Store().aProgs[nIndex];
        return {r.Data, r.Data + r.Steps};
    }
    // Timer 2 by hand until the device operation is over.
    void RunUntilIdle() {
        for (int n = 0; n < 100000 && session.IsBusy(); ++n)
            dlg.OnTimer(kTimerCom);
        ASSERT_FALSE(session.IsBusy());
    }
    void RunCommand(const char* pLabel) {
        auto* pCommand = Ctl<QComboBox>(IDC_COMMAND);
        pCommand->setCurrentIndex(pCommand->findText(QString::fromLatin1(pLabel)));
        ASSERT_GE(pCommand->currentIndex(), 0) << pLabel;
        Ctl<QPushButton>(IDC_START)->click();
        RunUntilIdle();
    }
};

QPoint CellCentre(StepGrid* pGrid, int nStep, int nLed) {
    return pGrid->visualRect(pGrid->model()->index(nStep, StepTableModel::ColumnOfLed(nLed)))
        .center();
}

void ClickCell(StepGrid* pGrid, int nStep, int nLed) {
    QTest::mouseClick(pGrid->viewport(), Qt::LeftButton, {}, CellCentre(pGrid, nStep, nLed));
}

QPushButton* Button(ProgramEditorDlg* pEditor, const char* pText) {
    for (QPushButton* pButton : pEditor->findChildren<QPushButton*>())
        if (pButton->text() == QString::fromLatin1(pText))
            return pButton;
    return nullptr;
}

// Shows the window's context menu and triggers the entry with the given text;
// tells whether the entry was there and enabled.
bool TriggerContextEntry(GlowdeskWindow& window, const QString& strEntry) {
    bool bEnabled = false;
    QTimer::singleShot(0, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        for (QAction* pAction : pMenu->actions()) {
            if (pAction->text() == strEntry && pAction->isEnabled()) {
                bEnabled = true;
                pAction->trigger();
            }
        }
        pMenu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &event);
    QCoreApplication::processEvents();
    return bEnabled;
}

// Types text as a keyboard would, character by character (any character).
void TypeText(QWidget* pWidget, const QString& strText) {
    for (const QChar ch : strText) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &release);
    }
}

// Lets a closed editor go away (it deletes itself on close).
void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(ProgramEditor, OpensFromTheContextMenuAndF2ForProgramsOnly) {
    EditorRig h;
    h.SetProg(2, "three", {0x01, 0x02});
    h.window.ComboSetSel(IDC_PROGRAM, 2);
    EXPECT_TRUE(TriggerContextEntry(h.window, QStringLiteral("Edit program...")));
    ProgramEditorDlg* pEditor = h.window.Editor();
    ASSERT_NE(pEditor, nullptr);
    EXPECT_EQ(pEditor->windowTitle(), QStringLiteral("Edit program 3"));
    EXPECT_TRUE(pEditor->isVisible());
    EXPECT_TRUE(pEditor->isModal());
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0x01, 0x02}));
    EXPECT_EQ(pEditor->Grid()->model()->rowCount(), 2);
    pEditor->reject();  // nothing changed: closes without asking
    Settle();
    EXPECT_EQ(h.window.Editor(), nullptr);

    // Random, MIX and no selection have nothing to edit; neither the entry nor F2 opens.
    for (int nRow : {9, 10, -1}) {
        SCOPED_TRACE(nRow);
        h.window.ComboSetSel(IDC_PROGRAM, nRow);
        EXPECT_FALSE(TriggerContextEntry(h.window, QStringLiteral("Edit program...")));
        EXPECT_EQ(h.OpenWithF2(nRow), nullptr);
    }
    pEditor = h.OpenWithF2(8);
    ASSERT_NE(pEditor, nullptr);
    EXPECT_EQ(pEditor->windowTitle(), QStringLiteral("Edit program 9"));
    pEditor->reject();
    Settle();

    // Not while the Handheld is being asked for its version.
    h.Ctl<QPushButton>(IDC_CONNECT)->click();
    ASSERT_TRUE(h.session.IsBusy());
    EXPECT_FALSE(TriggerContextEntry(h.window, QStringLiteral("Edit program...")));
    EXPECT_EQ(h.OpenWithF2(2), nullptr);
}

TEST(ProgramEditor, DraggingPaintsAndOneUndoTakesTheStrokeBack) {
    EditorRig h;
    h.SetProg(0, "p", {0x00, 0x00, 0x04});
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    StepGrid* pGrid = pEditor->Grid();
    QWidget* pArea = pGrid->viewport();

    QTest::mousePress(pArea, Qt::LeftButton, {}, CellCentre(pGrid, 0, 8));
    for (int nLed : {7, 6, 5})
        QTest::mouseMove(pArea, CellCentre(pGrid, 0, nLed));
    QTest::mouseMove(pArea, CellCentre(pGrid, 1, 5));
    QTest::mouseRelease(pArea, Qt::LeftButton, {}, CellCentre(pGrid, 1, 5));
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x04}));
    EXPECT_EQ(pEditor->UndoStack()->count(), 1);

    // A stroke that starts on a lit cell puts cells out.
    QTest::mousePress(pArea, Qt::LeftButton, {}, CellCentre(pGrid, 2, 3));
    QTest::mouseMove(pArea, CellCentre(pGrid, 1, 3));
    QTest::mouseMove(pArea, CellCentre(pGrid, 0, 3));
    QTest::mouseRelease(pArea, Qt::LeftButton, {}, CellCentre(pGrid, 0, 3));
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x00}));

    // Two quick clicks toggle twice, whether the second comes as a double click alone
    // or as a press followed by a double click.
    const QPoint ptCell = CellCentre(pGrid, 1, 1);
    QTest::mouseClick(pArea, Qt::LeftButton, {}, ptCell);
    QTest::mouseDClick(pArea, Qt::LeftButton, {}, ptCell);
    QTest::mouseRelease(pArea, Qt::LeftButton, {}, ptCell);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x00}));
    QTest::mouseClick(pArea, Qt::LeftButton, {}, ptCell);
    QTest::mousePress(pArea, Qt::LeftButton, {}, ptCell);
    QTest::mouseDClick(pArea, Qt::LeftButton, {}, ptCell);
    QTest::mouseRelease(pArea, Qt::LeftButton, {}, ptCell);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x00}));
    for (int n = 0; n < 4; ++n)
        pEditor->UndoStack()->undo();

    QTest::keyClick(pGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x04}));
    QTest::keyClick(pGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0x00, 0x00, 0x04}));
    QTest::keyClick(pGrid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x04}));
    QTest::keyClick(pGrid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xF0, 0x10, 0x00}));
    pEditor->SetDiscardQuestion([] { return true; });
    pEditor->reject();
}

TEST(ProgramEditor, KeysMoveToggleInsertDuplicateMoveAndDelete) {
    EditorRig h;
    h.SetProg(0, "k", {0x01, 0x02});
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    StepGrid* pGrid = pEditor->Grid();
    pGrid->setFocus();
    const auto Steps = [pEditor] { return pEditor->Draft().Steps(); };
    using V = std::vector<uint8_t>;

    EXPECT_EQ(pGrid->CurrentStep(), 0);
    EXPECT_EQ(pGrid->currentIndex().column(), 0);  // LED 8
    QTest::keyClick(pGrid, Qt::Key_Space);
    EXPECT_EQ(Steps(), (V{0x81, 0x02}));
    QTest::keyClick(pGrid, Qt::Key_Right);
    QTest::keyClick(pGrid, Qt::Key_Down);
    QTest::keyClick(pGrid, Qt::Key_Space);  // step 2, LED 7
    EXPECT_EQ(Steps(), (V{0x81, 0x42}));
    EXPECT_EQ(pEditor->UndoStack()->count(), 2);  // key toggles are single entries

    QTest::keyClick(pGrid, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Steps(), (V{0x81, 0x42, 0x42}));
    EXPECT_EQ(pGrid->CurrentStep(), 2);
    QTest::keyClick(pGrid, Qt::Key_Insert);
    EXPECT_EQ(Steps(), (V{0x81, 0x42, 0x42, 0x00}));
    EXPECT_EQ(pGrid->CurrentStep(), 3);
    QTest::keyClick(pGrid, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(pGrid, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(pGrid, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Steps(), (V{0x00, 0x81, 0x42, 0x42}));
    EXPECT_EQ(pGrid->CurrentStep(), 0);
    QTest::keyClick(pGrid, Qt::Key_Up, Qt::ControlModifier);  // at the top: nothing
    EXPECT_EQ(Steps(), (V{0x00, 0x81, 0x42, 0x42}));
    QTest::keyClick(pGrid, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Steps(), (V{0x81, 0x00, 0x42, 0x42}));
    EXPECT_EQ(pGrid->CurrentStep(), 1);
    QTest::keyClick(pGrid, Qt::Key_Delete);
    EXPECT_EQ(Steps(), (V{0x81, 0x42, 0x42}));
    EXPECT_EQ(pGrid->CurrentStep(), 1);

    // Every one of them undoes, back to the start.
    for (int n = 0; n < 20 && pEditor->UndoStack()->canUndo(); ++n)
        QTest::keyClick(pGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Steps(), (V{0x01, 0x02}));
    EXPECT_FALSE(pEditor->Draft().IsChanged());

    // Deleting every step leaves nothing to delete, duplicate or move.
    QTest::keyClick(pGrid, Qt::Key_Delete);
    QTest::keyClick(pGrid, Qt::Key_Delete);
    EXPECT_TRUE(Steps().empty());
    EXPECT_FALSE(Button(pEditor, "Delete step")->isEnabled());
    EXPECT_FALSE(Button(pEditor, "Duplicate step")->isEnabled());
    EXPECT_TRUE(Button(pEditor, "Insert step")->isEnabled());
    QTest::keyClick(pGrid, Qt::Key_Insert);
    EXPECT_EQ(Steps(), V{0x00});
    pEditor->SetDiscardQuestion([] { return true; });
    pEditor->reject();
}

TEST(ProgramEditor, AddActionsStopAtTheLimit) {
    EditorRig h;
    LightProgram& r = h.session.Store().aProgs[4];
    r.Steps = 895;
    h.dlg.ListProgEntry(4);
    ProgramEditorDlg* pEditor = h.OpenWithF2(4);
    ASSERT_NE(pEditor, nullptr);
    EXPECT_TRUE(Button(pEditor, "Insert step")->isEnabled());
    Button(pEditor, "Duplicate step")->click();
    EXPECT_EQ(pEditor->Draft().StepCount(), 896);
    for (const char* pText : {"Insert step", "Duplicate step"}) {
        EXPECT_FALSE(Button(pEditor, pText)->isEnabled()) << pText;
        EXPECT_FALSE(pEditor->Action(QString::fromLatin1(pText))->isEnabled()) << pText;
    }
    QTest::keyClick(pEditor->Grid(), Qt::Key_Insert);
    EXPECT_EQ(pEditor->Draft().StepCount(), 896);
    QTest::keyClick(pEditor->Grid(), Qt::Key_Delete);
    EXPECT_TRUE(Button(pEditor, "Insert step")->isEnabled());
    pEditor->SetDiscardQuestion([] { return true; });
    pEditor->reject();
}

TEST(ProgramEditor, NameFieldAndMixBoxAreEditsLikeAnyOther) {
    EditorRig h;
    h.SetProg(1, "old", {0x01});
    ProgramEditorDlg* pEditor = h.OpenWithF2(1);
    ASSERT_NE(pEditor, nullptr);
    auto* pName = pEditor->findChild<QLineEdit*>();
    ASSERT_NE(pName, nullptr);
    EXPECT_EQ(pName->text(), QStringLiteral("old"));
    EXPECT_EQ(pName->maxLength(), 12);

    pName->setFocus();
    pName->selectAll();
    // Greek omega has no place in Windows-1252; the euro sign and the umlaut have.
    TypeText(pName, QStringLiteral("N\u03A9\u20AC\u00FC 12345678901"));
    EXPECT_EQ(pName->text(), QStringLiteral("N\u20AC\u00FC 12345678"));
    EXPECT_EQ(pEditor->Draft().Name(), "N\x80\xFC 12345678");
    // Pasted text is held to the same rules.
    pName->setText(QStringLiteral("ab"));
    pName->insert(QStringLiteral("x\t"));
    EXPECT_EQ(pName->text(), QStringLiteral("ab"));
    NameValidator validator;
    int nPos = 0;
    for (QString str :
         {QStringLiteral("\u20AC\u0160\u00FF"), QString(), QStringLiteral("twelve chars")}) {
        EXPECT_EQ(validator.validate(str, nPos), QValidator::Acceptable) << str.toStdString();
    }
    for (QString str :
         {QStringLiteral("thirteen char"), QStringLiteral("a\nb"), QStringLiteral("\U0001F600")}) {
        EXPECT_EQ(validator.validate(str, nPos), QValidator::Invalid) << str.toStdString();
    }
    pName->setText(QStringLiteral("N\u20AC\u00FC 12345678"));

    auto* pMix = pEditor->findChild<QCheckBox*>();
    ASSERT_NE(pMix, nullptr);
    EXPECT_EQ(pMix->text(), QStringLiteral("MIX allowed"));
    EXPECT_FALSE(pMix->isChecked());
    QTest::keyClick(pMix, Qt::Key_Space);
    EXPECT_TRUE(pEditor->Draft().MixAllowed());

    // Undo from the name field goes through the editor's history: first the box, then
    // the whole typed name at once.
    pName->setFocus();
    QTest::keyClick(pName, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(pMix->isChecked());
    EXPECT_FALSE(pEditor->Draft().MixAllowed());
    QTest::keyClick(pName, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pName->text(), QStringLiteral("old"));
    EXPECT_EQ(pEditor->Draft().Name(), "old");
    QTest::keyClick(pName, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(pName->text(), QStringLiteral("N\u20AC\u00FC 12345678"));

    // A program named "-" would lose its steps in a file: OK waits for another name.
    pName->selectAll();
    QTest::keyClicks(pName, QStringLiteral("-"));
    EXPECT_FALSE(Button(pEditor, "OK")->isEnabled());
    QTest::keyClicks(pName, QStringLiteral("x"));
    EXPECT_TRUE(Button(pEditor, "OK")->isEnabled());

    Button(pEditor, "OK")->click();
    EXPECT_EQ(h.ProgRow(1), "Prog 2: \"-x\", 1 step, MixAllowed=0");
}

TEST(ProgramEditor, CancelAsksWhenThereAreChangesAndLeavesTheStore) {
    EditorRig h;
    h.SetProg(0, "keep", {0x11, 0x22}, true);
    const std::string strRow = h.ProgRow(0);
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    int nAsked = 0;
    bool bDiscard = false;
    pEditor->SetDiscardQuestion([&] {
        ++nAsked;
        return bDiscard;
    });

    ClickCell(pEditor->Grid(), 0, 1);
    ClickCell(pEditor->Grid(), 0, 1);  // toggled back: nothing changed
    Button(pEditor, "Cancel")->click();
    EXPECT_EQ(nAsked, 0);
    Settle();
    pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    pEditor->SetDiscardQuestion([&] {
        ++nAsked;
        return bDiscard;
    });

    Button(pEditor, "Delete step")->click();
    Button(pEditor, "Cancel")->click();  // "no": the editor stays
    EXPECT_EQ(nAsked, 1);
    EXPECT_TRUE(pEditor->isVisible());
    QTest::keyClick(pEditor->Grid(), Qt::Key_Escape);
    EXPECT_EQ(nAsked, 2);
    EXPECT_TRUE(pEditor->isVisible());

    bDiscard = true;
    QTest::keyClick(pEditor->Grid(), Qt::Key_Escape);
    EXPECT_EQ(nAsked, 3);
    EXPECT_FALSE(pEditor->isVisible());
    EXPECT_EQ(h.StoredSteps(0), (std::vector<uint8_t>{0x11, 0x22}));
    EXPECT_EQ(h.ProgRow(0), strRow);
}

TEST(ProgramEditor, PatternsReplaceTheStepsUndoably) {
    EditorRig h;
    h.SetProg(0, "p", {0x42});
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    QPushButton* pFill = Button(pEditor, "Fill from a pattern");
    ASSERT_NE(pFill, nullptr);
    ASSERT_NE(pFill->menu(), nullptr);
    ASSERT_EQ(pFill->menu()->actions().size(), 6);
    EXPECT_EQ(pFill->menu()->actions().at(4)->text(), QStringLiteral("Blink all"));
    pFill->menu()->actions().at(4)->trigger();
    EXPECT_EQ(pEditor->Draft().Steps(), (std::vector<uint8_t>{0xFF, 0x00}));
    EXPECT_EQ(pEditor->Grid()->model()->rowCount(), 2);
    pFill->menu()->actions().at(5)->trigger();
    EXPECT_EQ(pEditor->Grid()->model()->rowCount(), 256);
    pEditor->UndoStack()->undo();
    pEditor->UndoStack()->undo();
    EXPECT_EQ(pEditor->Draft().Steps(), std::vector<uint8_t>{0x42});
    EXPECT_EQ(pEditor->Grid()->model()->rowCount(), 1);
    pEditor->SetDiscardQuestion([] { return true; });
    pEditor->reject();
}

TEST(ProgramEditor, PreviewSendsTheEditedStepsOverThePort) {
    ScriptedPeer peer;
    peer.responder = [](const std::string& strFrame) -> std::string {
        if (strFrame == ">1V\n")
            return ">8vHH 1.01\n";
        return strFrame == ">2JC\n" ? ">3j:0\n" : "";
    };
    EditorRig h("-p 1", &peer);
    h.Ctl<QPushButton>(IDC_CONNECT)->click();
    h.RunUntilIdle();
    peer.aWritten.clear();
    h.SetProg(3, "four", {0x01, 0x02});
    h.Ctl<QSlider>(IDC_SPEED)->setValue(250);

    ProgramEditorDlg* pEditor = h.OpenWithF2(3);
    ASSERT_NE(pEditor, nullptr);
    ClickCell(pEditor->Grid(), 1, 8);  // step 2 becomes 0x82
    QPushButton* pPreview = Button(pEditor, "Preview");
    ASSERT_NE(pPreview, nullptr);
    pPreview->click();
    EXPECT_TRUE(pPreview->isChecked());
    EXPECT_EQ(h.window.TimerPeriod(kTimerPlay), 250);
    h.dlg.OnTimer(kTimerPlay);
    h.dlg.OnTimer(kTimerPlay);
    // An edit while it plays is played at once.
    ClickCell(pEditor->Grid(), 0, 4);  // step 1 becomes 0x09
    h.dlg.OnTimer(kTimerPlay);
    EXPECT_EQ(peer.aWritten, (std::vector<std::string>{">3L01\n", ">3L82\n", ">3L09\n"}));
    EXPECT_EQ(h.session.Player().Leds(), 0x09);
    EXPECT_TRUE(h.window.IsShown(kLedStatics[3].nOn));  // LED 4 lit on the panel
    EXPECT_FALSE(h.window.IsShown(kLedStatics[2].nOn));
    // The editor shows it too: its own lamps, and the playing step marked in the grid.
    const auto lampState = [pEditor](int nLed) {
        for (QLabel* pLamp : pEditor->findChildren<QLabel*>())
            if (pLamp->accessibleName() == QStringLiteral("Preview LED %1").arg(nLed))
                return pLamp->accessibleDescription();
        return QStringLiteral("missing");
    };
    EXPECT_EQ(lampState(4), "on");
    EXPECT_EQ(lampState(1), "on");
    EXPECT_EQ(lampState(2), "off");
    QAbstractItemModel* pModel = pEditor->Grid()->model();
    EXPECT_EQ(pModel->headerData(0, Qt::Vertical, Qt::AccessibleTextRole), "step 1, playing");
    EXPECT_EQ(pModel->headerData(1, Qt::Vertical, Qt::AccessibleTextRole), "step 2");

    pPreview->click();
    EXPECT_FALSE(h.window.IsTimerRunning(kTimerPlay));
    pPreview->click();
    EXPECT_TRUE(h.window.IsTimerRunning(kTimerPlay));
    // Closing the editor ends the preview; the store keeps its program.
    pEditor->SetDiscardQuestion([] { return true; });
    pEditor->reject();
    EXPECT_FALSE(h.window.IsTimerRunning(kTimerPlay));
    EXPECT_FALSE(h.dlg.IsPreviewing());
    EXPECT_EQ(h.StoredSteps(3), (std::vector<uint8_t>{0x01, 0x02}));
    // The panel shows again what it showed before the preview.
    EXPECT_FALSE(h.window.IsShown(kLedStatics[3].nOn));
    EXPECT_EQ(h.session.Player().Leds(), 0x00);
    h.dlg.OnDestroy();
}

// The whole road: edit, OK, store to file, write to the Handheld and read it back.
TEST(ProgramEditor, EditedProgramGoesIntoTheFileAndTheHandheld) {
    EditorRig h("-p 1 -e 1");
    h.SetProg(0, "Chase", {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, true);
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    pEditor->Grid()->SetCurrentStep(7);
    Button(pEditor, "Insert step")->click();
    ClickCell(pEditor->Grid(), 8, 8);
    ClickCell(pEditor->Grid(), 8, 1);
    EXPECT_EQ(h.StoredSteps(0).size(), 8u);  // the store waits for OK
    Button(pEditor, "OK")->click();
    Settle();
    const std::vector<uint8_t> aEdited = h.StoredSteps(0);
    ASSERT_EQ(aEdited.size(), 9u);
    EXPECT_EQ(aEdited[8], 0x81);
    EXPECT_EQ(h.ProgRow(0), "Prog 1: \"Chase\", 9 steps, MixAllowed=1");

    const auto path =
        std::filesystem::temp_directory_path() /
        ("glowdesk-editor-" + std::to_string(QCoreApplication::applicationPid()) + ".ini");
    h.session.StoreProgFile(path.string());
    std::string strFile;
    {
        // Closed before the removal, which Windows refuses for an open file.
        std::ifstream in(path, std::ios::binary);
        strFile.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    EXPECT_NE(strFile.find("Steps=9\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("Step_9=10000001\r\n"), std::string::npos);

    h.Ctl<QPushButton>(IDC_CONNECT)->click();
    h.RunUntilIdle();
    h.window.ComboSetSel(IDC_PROGRAM, 0);
    h.RunCommand("wr sel. program");
    ASSERT_EQ(h.session.GetTrace().find("!!!"), std::string::npos) << h.session.GetTrace();
    h.SetProg(0, "gone", {});
    h.window.ComboSetSel(IDC_PROGRAM, 0);
    h.RunCommand("rd sel. program");
    EXPECT_EQ(h.StoredSteps(0), aEdited);
    EXPECT_EQ(h.ProgRow(0), "Prog 1: \"Chase\", 9 steps, MixAllowed=1");
    h.dlg.OnDestroy();
}

TEST(ProgramEditor, EveryPartHasAnAccessibleName) {
    EditorRig h;
    h.SetProg(0, "a", {0x80, 0x01});
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    for (QWidget* pWidget : pEditor->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(pWidget) || qobject_cast<QLineEdit*>(pWidget) ||
            qobject_cast<QMenu*>(pWidget)) {
            EXPECT_FALSE(pWidget->accessibleName().isEmpty()) << pWidget->metaObject()->className();
        }
    }
    EXPECT_EQ(pEditor->Grid()->accessibleName(), QStringLiteral("Steps"));
    QAccessibleInterface* pTable = QAccessible::queryAccessibleInterface(pEditor->Grid());
    ASSERT_NE(pTable, nullptr);
    ASSERT_NE(pTable->tableInterface(), nullptr);
    QAccessibleInterface* pCell = pTable->tableInterface()->cellAt(0, 0);
    ASSERT_NE(pCell, nullptr);
    EXPECT_EQ(pCell->text(QAccessible::Name), QStringLiteral("step 1 LED 8"));
    EXPECT_EQ(pCell->text(QAccessible::Description), QStringLiteral("on"));
    pCell = pTable->tableInterface()->cellAt(1, 6);
    ASSERT_NE(pCell, nullptr);
    EXPECT_EQ(pCell->text(QAccessible::Name), QStringLiteral("step 2 LED 2"));
    EXPECT_EQ(pCell->text(QAccessible::Description), QStringLiteral("off"));
    EXPECT_EQ(pEditor->Grid()->model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole),
              QStringLiteral("LED 8"));
    EXPECT_EQ(pEditor->Grid()->model()->headerData(7, Qt::Horizontal, Qt::DisplayRole),
              QStringLiteral("1"));
    EXPECT_EQ(pEditor->Grid()->model()->headerData(1, Qt::Vertical, Qt::DisplayRole),
              QStringLiteral("2"));
    pEditor->reject();
}

// The lamps in the grid are the panel's pictures: a lit cell shows the lit LED's
// yellow, a dark one the outline with the background in its middle.
TEST(ProgramEditor, GridDrawsLampsLikeThePanel) {
    EditorRig h;
    h.SetProg(0, "Lamps", {0x81, 0x18, 0x24});
    ProgramEditorDlg* pEditor = h.OpenWithF2(0);
    ASSERT_NE(pEditor, nullptr);
    pEditor->Grid()->clearSelection();
    pEditor->Grid()->setCurrentIndex(QModelIndex());
    const QImage image = pEditor->Grid()->viewport()->grab().toImage();
    const auto Pixel = [&](int nStep, int nLed) {
        const QPoint pt = CellCentre(pEditor->Grid(), nStep, nLed) * image.devicePixelRatio();
        return image.pixel(pt);
    };
    for (int nStep = 0; nStep < 3; ++nStep) {
        for (int nLed = 1; nLed <= 8; ++nLed) {
            SCOPED_TRACE(QStringLiteral("step %1 LED %2").arg(nStep + 1).arg(nLed).toStdString());
            const bool bLit = pEditor->Draft().IsLit(nStep, nLed);
            const QRgb rgb = Pixel(nStep, nLed);
            EXPECT_EQ(qRed(rgb) > 200 && qGreen(rgb) > 200 && qBlue(rgb) < 80, bLit);
        }
    }
    if (qEnvironmentVariableIsSet("GLOWDESK_EDITOR_SHOT"))
        pEditor->grab().save(qEnvironmentVariable("GLOWDESK_EDITOR_SHOT"));
    pEditor->reject();
}
