// The Qt window over the real dialog logic, offscreen: the controls of dialog 102,
// the keyboard rules, the icons and the trace log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include "app/GlowdeskDlg.h"
#include "app/qt/FileFilter.h"
#include "app/qt/GlowdeskWindow.h"
#include "app/qt/MainDialogTemplate.h"
#include "base/qt/Cp1252.h"
#include "base/qt/IconRes.h"
#include "tests/support/NullComApi.h"
#ifndef _WIN32
#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"
#endif
#include "tests/qt/WindowHarness.h"

namespace {

const char* KindName(QWidget* pWidget) {
    if (qobject_cast<QComboBox*>(pWidget))
        return "combo";
    if (qobject_cast<QCheckBox*>(pWidget))
        return "check";
    if (qobject_cast<QPushButton*>(pWidget))
        return "button";
    if (qobject_cast<QSlider*>(pWidget))
        return "slider";
    if (qobject_cast<QLabel*>(pWidget))
        return "icon";
    if (qobject_cast<QLineEdit*>(pWidget))
        return "edit";
    if (qobject_cast<QPlainTextEdit*>(pWidget))
        return "multiedit";
    return "?";
}

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::ComboBox:
            return "combo";
        case ControlKind::CheckBox:
            return "check";
        case ControlKind::PushButton:
            return "button";
        case ControlKind::Slider:
            return "slider";
        case ControlKind::IconStatic:
            return "icon";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::MultiEdit:
            return "multiedit";
        case ControlKind::GroupBox:
            return "group";
    }
    return "?";
}

}  // namespace

TEST(GlowdeskWindow, BuildsEveryControlOfTheTemplate) {
    GlowdeskWindow window;
    const DialogUnits& du = window.Units();
    EXPECT_EQ(window.size(), QSize(du.X(327), du.Y(175)));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Glowdesk"));

    QStringList aGroups;
    for (const DialogControl& ctl : kMainDialog) {
        if (ctl.nId == -1) {
            aGroups << QString::fromLatin1(ctl.pText);
            continue;
        }
        SCOPED_TRACE(ctl.nId);
        QWidget* pWidget = window.Control(ctl.nId);
        ASSERT_NE(pWidget, nullptr);
        EXPECT_TRUE(window.HasControl(ctl.nId));
        EXPECT_STREQ(KindName(pWidget), KindName(ctl.kind));
        EXPECT_EQ(window.GetText(ctl.nId), ctl.pText);
        EXPECT_EQ(window.IsShown(ctl.nId), !ctl.bHidden);
        EXPECT_EQ(pWidget->pos(), QPoint(du.X(ctl.nX), du.Y(ctl.nY)));
        if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
            EXPECT_TRUE(pCombo->isEditable());
        }
        if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
            EXPECT_TRUE(pEdit->isReadOnly());
        }
        if (auto* pEdit = qobject_cast<QPlainTextEdit*>(pWidget)) {
            EXPECT_TRUE(pEdit->isReadOnly());
        }
    }
    QStringList aTitles;
    for (QGroupBox* pGroup : window.findChildren<QGroupBox*>())
        aTitles << pGroup->title();
    aTitles.sort();
    aGroups.sort();
    EXPECT_EQ(aTitles, aGroups);
    EXPECT_EQ(aTitles, QStringList({"ComPort", "LightCtrl"}));

    for (int nId : {999, 1005, 1037, -1})
        EXPECT_FALSE(window.HasControl(nId)) << nId;
    auto* pSlider = qobject_cast<QSlider*>(window.Control(IDC_SPEED));
    ASSERT_NE(pSlider, nullptr);
    EXPECT_EQ(pSlider->orientation(), Qt::Horizontal);
    EXPECT_EQ(pSlider->tickPosition(), QSlider::NoTicks);
    // LED 8 at the left, LED 1 at the right, lamps and boxes alike.
    EXPECT_LT(window.Control(1021)->x(), window.Control(1007)->x());
    EXPECT_LT(window.Control(1029)->x(), window.Control(1022)->x());
    EXPECT_EQ(window.Control(1021)->geometry(), window.Control(1014)->geometry());
}

TEST(GlowdeskWindow, StartUpThroughTheWindow) {
    WindowHarness h("-p 1 -e 1 -s 1");
    EXPECT_EQ(h.window.windowTitle(), QStringLiteral("Glowdesk Programmer (EMU)"));
    EXPECT_FALSE(h.window.windowIcon().isNull());
    auto* pCommand = h.Ctl<QComboBox>(IDC_COMMAND);
    ASSERT_NE(pCommand, nullptr);
    EXPECT_EQ(pCommand->count(), 20);
    EXPECT_EQ(pCommand->currentIndex(), 0);
    EXPECT_EQ(pCommand->currentText(), QStringLiteral("run program"));
    EXPECT_EQ(pCommand->itemText(18), QStringLiteral("rd MIX lenght"));
    // No ports on this machine: emulation still offers COM1 to connect to.
    EXPECT_EQ(h.Ctl<QComboBox>(IDC_COMPORT)->currentIndex(), 0);
    EXPECT_EQ(h.Ctl<QComboBox>(IDC_COMPORT)->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(h.Ctl<QSlider>(IDC_SPEED)->minimum(), 32);
    EXPECT_EQ(h.Ctl<QSlider>(IDC_SPEED)->maximum(), 5000);
    EXPECT_EQ(h.Ctl<QSlider>(IDC_SPEED)->value(), 500);
    EXPECT_EQ(h.Ctl<QLineEdit>(IDC_RXCOUNT)->text(), QStringLiteral("Rx: 0"));
    EXPECT_EQ(h.Ctl<QLineEdit>(IDC_TXCOUNT)->text(), QStringLiteral("Tx: 0"));
    EXPECT_EQ(h.window.TimerPeriod(kTimerCom), 100);
    EXPECT_FALSE(h.window.IsTimerRunning(kTimerPlay));
    // The alternative set: the smiling lamp for a lit LED, the green face for running.
    EXPECT_EQ(h.window.Control(1006)->property("glowdeskIcon").toInt(), IDI_LED_SMILE);
    EXPECT_EQ(h.window.Control(IDC_RUNICON)->property("glowdeskIcon").toInt(), IDI_RUN_SMILE);
}

// The run indicator blinks by clearing its picture, not by leaving the window: it is
// still there for assistive technology, and a new icon set while it is out stays out.
TEST(GlowdeskWindow, RunIndicatorKeepsItsPlaceWhileOut) {
    WindowHarness h;
    auto* pRun = h.Ctl<QLabel>(IDC_RUNICON);
    auto opaquePixels = [pRun] {
        const QImage image = pRun->pixmap().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += qAlpha(image.pixel(x, y)) > 0;
        return n;
    };
    EXPECT_FALSE(h.window.IsShown(IDC_RUNICON));
    EXPECT_TRUE(pRun->isVisible());
    EXPECT_EQ(opaquePixels(), 0);
    h.window.Show(IDC_RUNICON, true);
    EXPECT_TRUE(h.window.IsShown(IDC_RUNICON));
    EXPECT_GT(opaquePixels(), 0);
    h.window.Show(IDC_RUNICON, false);
    h.window.SetIcon(IDC_RUNICON, IDI_RUN_SMILE);
    EXPECT_FALSE(h.window.IsShown(IDC_RUNICON));
    EXPECT_EQ(opaquePixels(), 0);
    EXPECT_TRUE(pRun->isVisible());
    h.window.Show(IDC_RUNICON, true);
    EXPECT_GT(opaquePixels(), 0);
}

TEST(GlowdeskWindow, ReturnAndEscapeNeitherCloseNorPress) {
    WindowHarness h;
    QList<QSignalSpy*> aSpies;
    for (int nId : {IDC_CONNECT, IDC_START, IDC_CLR})
        aSpies << new QSignalSpy(h.Ctl<QPushButton>(nId), &QPushButton::clicked);
    h.Ctl<QPushButton>(IDC_START)->setFocus();
    for (QWidget* pTarget : {static_cast<QWidget*>(&h.window), h.window.Control(IDC_START),
                             h.window.Control(IDC_COMMAND), h.window.Control(IDC_TRACE)}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(pTarget, key);
    }
    EXPECT_TRUE(h.window.isVisible());
    for (QSignalSpy* pSpy : aSpies)
        EXPECT_EQ(pSpy->count(), 0);
    qDeleteAll(aSpies);
    EXPECT_EQ(h.window.GetText(IDC_START), "start");

    // The close button still closes it, and the logic stops its timers.
    EXPECT_TRUE(h.window.close());
    EXPECT_FALSE(h.window.isVisible());
    EXPECT_FALSE(h.window.IsTimerRunning(kTimerCom));
}

TEST(GlowdeskWindow, DigitKeysToggleLedsInsteadOfTyping) {
    WindowHarness h;
    QLineEdit* pPortEdit = h.Ctl<QComboBox>(IDC_COMPORT)->lineEdit();
    ASSERT_NE(pPortEdit, nullptr);
    pPortEdit->setFocus();

    QTest::keyClicks(pPortEdit, "1");
    EXPECT_EQ(pPortEdit->text(), QString());
    EXPECT_EQ(h.session.Player().Leds(), 0x01);
    EXPECT_TRUE(h.window.IsShown(1006));
    EXPECT_FALSE(h.window.IsShown(1007));

    // From the keypad, and sent to the combo box itself.
    QTest::keyClick(h.window.Control(IDC_COMPORT), Qt::Key_8, Qt::KeypadModifier);
    EXPECT_EQ(h.session.Player().Leds(), 0x81);
    EXPECT_TRUE(h.window.IsShown(1014));

    // A second 1 puts LED 1 out again; 9 and 0 are ordinary characters.
    QTest::keyClicks(pPortEdit, "109");
    EXPECT_EQ(h.session.Player().Leds(), 0x80);
    EXPECT_FALSE(h.window.IsShown(1006));
    EXPECT_TRUE(h.window.IsShown(1007));
    EXPECT_EQ(pPortEdit->text(), QStringLiteral("09"));
}

// Closes the next modal window that opens and tells its title.
void CloseNextModal(QString* pTitle) {
    QTimer::singleShot(0, [pTitle] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            *pTitle = pModal->windowTitle();
            pModal->close();
        }
    });
}

TEST(GlowdeskWindow, AboutEntryFromF1AndContextMenu) {
    WindowHarness h;
    QString strTitle;
    CloseNextModal(&strTitle);
    QTest::keyClick(h.window.Control(IDC_COMMAND), Qt::Key_F1);
    QCoreApplication::processEvents();
    EXPECT_EQ(strTitle, QStringLiteral("About Glowdesk"));

    strTitle.clear();
    QString strEntry;
    QTimer::singleShot(0, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!pMenu || pMenu->actions().isEmpty())
            return;
        strEntry = pMenu->actions().first()->text();
        CloseNextModal(&strTitle);
        pMenu->actions().first()->trigger();
        pMenu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            h.window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&h.window, &event);
    QCoreApplication::processEvents();
    EXPECT_EQ(strEntry, QStringLiteral("&About Glowdesk..."));
    EXPECT_EQ(strTitle, QStringLiteral("About Glowdesk"));
    EXPECT_TRUE(h.window.isVisible());
}

TEST(GlowdeskWindow, LedBoxClickLightsItsLamp) {
    WindowHarness h;
    auto* pBox = h.Ctl<QCheckBox>(IDC_LED_CHECK_1 + 4);  // "5"
    ASSERT_NE(pBox, nullptr);
    QTest::keyClick(pBox, Qt::Key_Space);
    EXPECT_TRUE(pBox->isChecked());
    EXPECT_TRUE(h.window.IsShown(1011));
    EXPECT_FALSE(h.window.IsShown(1018));
    QTest::keyClick(pBox, Qt::Key_Space);
    EXPECT_FALSE(h.window.IsShown(1011));
    EXPECT_TRUE(h.window.IsShown(1018));
}

TEST(GlowdeskWindow, IconsHavePixels) {
    for (int nRes : {128, 129, 130, 131, 133, 137}) {
        SCOPED_TRACE(nRes);
        const QImage image = IconPixmap(nRes, 32).toImage();
        ASSERT_FALSE(image.isNull());
        int nOpaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                nOpaque += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(nOpaque, 40);
    }
    // The off lamp is an outline: its middle shows what lies behind it.
    EXPECT_EQ(qAlpha(IconPixmap(129, 32).toImage().pixel(16, 16)), 0);
    const QRgb rgbLit = IconPixmap(133, 32).toImage().pixel(16, 16);
    EXPECT_GT(qRed(rgbLit), 200);
    EXPECT_GT(qGreen(rgbLit), 200);
    EXPECT_LT(qBlue(rgbLit), 80);
    EXPECT_TRUE(IconPixmap(999, 32).isNull());
}

TEST(GlowdeskWindow, DarkLampsShowTheWindowThroughTheirMiddle) {
    WindowHarness h;
    const QImage image = h.window.grab().toImage();
    const QColor colWindow = h.window.palette().color(QPalette::Window);
    for (const LedStatics& led : kLedStatics) {
        SCOPED_TRACE(led.nOff);
        const QPoint ptMiddle = h.window.Control(led.nOff)->geometry().center();
        EXPECT_EQ(image.pixelColor(ptMiddle).rgb(), colWindow.rgb());
    }
}

TEST(GlowdeskWindow, TraceLogAppendsAtTheEnd) {
    GlowdeskWindow window;
    auto* pLog = qobject_cast<QPlainTextEdit*>(window.Control(IDC_TRACE));
    ASSERT_NE(pLog, nullptr);
    window.SetText(IDC_TRACE, "connect\r\nCOM1");
    window.FlushDisplay();
    const int nLength = pLog->document()->characterCount() - 1;

    QList<QList<int>> aChanges;
    QObject::connect(pLog->document(), &QTextDocument::contentsChange,
                     [&](int nPos, int nRemoved, int nAdded) {
                         aChanges << QList<int>{nPos, nRemoved, nAdded};
                     });
    window.AppendText(IDC_TRACE, "\r\n --> ok \x80");
    window.FlushDisplay();
    ASSERT_EQ(aChanges.size(), 1);
    EXPECT_EQ(aChanges[0][0], nLength);  // at the end
    EXPECT_EQ(aChanges[0][1], 0);        // nothing removed
    EXPECT_EQ(pLog->toPlainText(), QStringLiteral("connect\nCOM1\n --> ok \u20AC"));
    EXPECT_EQ(pLog->document()->blockCount(), 3);
    EXPECT_EQ(window.GetText(IDC_TRACE), "connect\r\nCOM1\r\n --> ok \x80");

    // A line break split over two appends still makes one line break.
    window.AppendText(IDC_TRACE, "\r");
    window.AppendText(IDC_TRACE, "\nend");
    window.FlushDisplay();
    EXPECT_EQ(pLog->document()->blockCount(), 4);
}

TEST(GlowdeskWindow, TraceLogScrollsToTheLastLine) {
    WindowHarness h;
    auto* pLog = h.Ctl<QPlainTextEdit>(IDC_TRACE);
    for (int n = 0; n < 200; ++n)
        h.session.Trace().AppendTrace("\r\nline " + std::to_string(n));
    h.window.FlushDisplay();
    QScrollBar* pBar = pLog->verticalScrollBar();
    EXPECT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    const QTextBlock lastShown =
        pLog->cursorForPosition(QPoint(5, pLog->viewport()->height() - 5)).block();
    EXPECT_EQ(lastShown.text(), QStringLiteral("line 199"));

    // clr empties the log and shows its top.
    h.dlg.OnClr();
    h.window.FlushDisplay();
    EXPECT_EQ(pLog->toPlainText(), QString());
    EXPECT_EQ(pBar->value(), 0);
}

TEST(GlowdeskWindow, CombosInsertAndDeleteLikeTheDialog) {
    GlowdeskWindow window;
    window.ComboInsert(IDC_PROGRAM, -1, "b");
    window.ComboInsert(IDC_PROGRAM, 0, "a");
    window.ComboInsert(IDC_PROGRAM, 7, "c");  // past the end: appended
    EXPECT_EQ(window.ComboCount(IDC_PROGRAM), 3);
    EXPECT_EQ(window.ComboGetSel(IDC_PROGRAM), -1);  // inserting selects nothing
    EXPECT_EQ(window.ComboGetRow(IDC_PROGRAM, 0), "a");
    EXPECT_EQ(window.ComboGetRow(IDC_PROGRAM, 2), "c");
    window.ComboSetSel(IDC_PROGRAM, 1);
    window.ComboInsert(IDC_PROGRAM, 0, "z");
    EXPECT_EQ(window.ComboGetSel(IDC_PROGRAM), 2);
    EXPECT_EQ(window.GetText(IDC_PROGRAM), "b");
    window.ComboDelete(IDC_PROGRAM, 2);  // the selected row
    EXPECT_EQ(window.ComboGetSel(IDC_PROGRAM), -1);
    window.ComboSetRowTip(IDC_PROGRAM, 1, "tip");
    EXPECT_EQ(qobject_cast<QComboBox*>(window.Control(IDC_PROGRAM))->itemData(1, Qt::ToolTipRole),
              QStringLiteral("tip"));
    window.ComboSetSel(IDC_PROGRAM, 9);
    EXPECT_EQ(window.ComboGetSel(IDC_PROGRAM), -1);
    EXPECT_EQ(window.ComboCount(IDC_CONNECT), -1);
}

TEST(GlowdeskWindow, FileNameBoxKeepsThePathBytes) {
    GlowdeskWindow window;
    const std::string strPath = "/tmp/\xC3\xA4/odd\xFF.ini";  // UTF-8, then a stray byte
    window.SetText(IDC_FILENAME, strPath);
    EXPECT_EQ(window.GetText(IDC_FILENAME), strPath);
#ifndef Q_OS_WIN
    // Shown as the file system spells it: UTF-8 here, the ANSI code page on Windows.
    window.SetText(IDC_FILENAME, "/tmp/\xC3\xA4.ini");
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.Control(IDC_FILENAME))->text(),
              QStringLiteral("/tmp/\u00E4.ini"));
#endif
}

TEST(GlowdeskWindow, TimersStartChangeAndStop) {
    GlowdeskWindow window;
    window.SetTimer(kTimerCom, 100);
    window.SetTimer(kTimerCom, 8);
    EXPECT_EQ(window.TimerPeriod(kTimerCom), 8);
    window.KillTimer(kTimerCom);
    window.KillTimer(kTimerPlay);  // never started: nothing happens
    EXPECT_FALSE(window.IsTimerRunning(kTimerCom));
}

#ifndef _WIN32
// On a real port the window watches the port's descriptor while connected and hands
// input to the logic as it arrives; a Handheld that goes away ends the watch.
TEST(GlowdeskWindow, WatchesTheSerialPortWhileConnected) {
    RecordingWaiter simWaiter;
    NullDebugSink simDebug;
    PtyHandheld sim(simWaiter, simDebug);
    ASSERT_TRUE(sim.Open()) << sim.Error();
    ASSERT_TRUE(sim.Start());
    setenv("GLOWDESK_COM2", sim.DevicePath().c_str(), 1);
    PosixComApi api{ComPortTable(false)};
    WindowHarness h("", &api);
    auto* pConnect = h.Ctl<QPushButton>(IDC_CONNECT);
    ASSERT_NE(pConnect, nullptr);

    pConnect->click();
    const int fd = h.session.Link().ComPortDescriptor();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(h.window.WatchedPort(), fd);
    // Timer 2 stopped: only the watch can bring the reply in.
    h.window.KillTimer(kTimerCom);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.session.IsBusy(); }, 5000));
    EXPECT_EQ(h.session.GetTrace(),
              "Open Com Port:Com2, 57600 Baud, 8 Bit, 1 Stop, no Parity --> VHH 1.01");
    EXPECT_EQ(h.window.TimerPeriod(kTimerCom), 100);

    pConnect->click();
    EXPECT_EQ(h.session.GetTrace(), "Com Port closed");
    EXPECT_EQ(h.window.WatchedPort(), -1);

    pConnect->click();
    EXPECT_GE(h.window.WatchedPort(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.session.IsBusy(); }, 5000));
    sim.Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.window.WatchedPort() == -1; }, 5000));
    h.dlg.OnDestroy();
    unsetenv("GLOWDESK_COM2");
}
#endif

TEST(Cp1252, ConvertsBothWays) {
    struct Case {
        std::string strBytes;
        QString str;
    } aCases[] = {
        {"abc", QStringLiteral("abc")},
        {"\x80", QStringLiteral("\u20AC")},
        {"\x9F", QStringLiteral("\u0178")},
        {"\x81", QStringLiteral("\u0081")},  // unassigned: kept as the control character
        {"\xA9\xE4\xFF", QStringLiteral("\u00A9\u00E4\u00FF")},
        {"\x8A\x99", QStringLiteral("\u0160\u2122")},
    };
    for (const Case& c : aCases) {
        EXPECT_EQ(FromCp1252(c.strBytes), c.str) << c.strBytes;
        EXPECT_EQ(ToCp1252(c.str), c.strBytes) << c.strBytes;
    }
    // Characters outside the code page become one '?' each, surrogate pairs included.
    EXPECT_EQ(ToCp1252(QStringLiteral("\u03A9x\U0001F600")), "?x?");
    EXPECT_EQ(FromCp1252(std::string("a\0b", 3)).size(), 3);
}

TEST(FileFilter, TurnsWindowsFiltersIntoNameFilters) {
    // "*.*" means every file on Windows; elsewhere it would skip names without a dot.
#ifdef Q_OS_WIN
    const QString strAll = QStringLiteral("All Files (*.*)");
#else
    const QString strAll = QStringLiteral("All Files (*)");
#endif
    EXPECT_EQ(NameFiltersFromWindows(QStringLiteral("ini-files |*.ini|All Files (*.*) |*.*|")),
              QStringList({"ini-files (*.ini)", strAll}));
    EXPECT_EQ(NameFiltersFromWindows(QStringLiteral("Text|*.txt;*.log||")),
              QStringList({"Text (*.txt *.log)"}));
    EXPECT_EQ(NameFiltersFromWindows(QString()), QStringList());
}
