// The main window and the about box as assistive technology and the keyboard reach
// them: accessible names and descriptions, the lamps' state, the Tab order, keys with
// a drop-down list open, the slider's steps and tip.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "about/AboutTexts.h"
#include "about/qt/AboutDlg.h"
#include "about/qt/MatrixWnd.h"
#include "about/qt/StaticText.h"
#include "app/qt/MainDialogTemplate.h"
#include "base/Rand.h"
#include "base/qt/Cp1252.h"
#include "tests/qt/WindowHarness.h"

namespace {

QString Name(QObject* pObject) {
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pObject);
    return pIface ? pIface->text(QAccessible::Name) : QStringLiteral("<none>");
}

QString Description(QObject* pObject) {
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pObject);
    return pIface ? pIface->text(QAccessible::Description) : QStringLiteral("<none>");
}

QAccessible::Role Role(QObject* pObject) {
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pObject);
    return pIface ? pIface->role() : QAccessible::NoRole;
}

// The control id a focus widget belongs to (a combo box's text field is its combo).
int OwnerId(const GlowdeskWindow& window, QWidget* pWidget) {
    for (const DialogControl& ctl : kMainDialog) {
        QWidget* pCtl = window.Control(ctl.nId);
        if (pCtl && (pCtl == pWidget || pCtl->isAncestorOf(pWidget)))
            return ctl.nId;
    }
    return 0;
}

}  // namespace

TEST(WindowAccess, ControlsAreNamedForScreenReaders) {
    WindowHarness h;
    const std::pair<int, const char*> aNames[] = {
        {IDC_COMPORT, "COM port"}, {IDC_PROGRAM, "program"},
        {IDC_COMMAND, "command"},  {IDC_FILENAME, "program file"},
        {IDC_SPEED, "step time"},  {IDC_RXCOUNT, "Rx"},
        {IDC_TXCOUNT, "Tx"},       {IDC_TRACE, "trace log"},
        {IDC_RUNICON, "running"},  {IDC_CONNECT, "connect"},
        {IDC_START, "start"},      {IDC_CLR, "clr"},
    };
    for (const auto& [nId, pName] : aNames)
        EXPECT_EQ(Name(h.window.Control(nId)), QString::fromLatin1(pName)) << nId;
    // The text fields of the combo boxes carry their box's name.
    EXPECT_EQ(Name(h.Ctl<QComboBox>(IDC_COMMAND)->lineEdit()), QStringLiteral("command"));

    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        const QString strLed = QStringLiteral("LED %1").arg(n);
        EXPECT_EQ(Name(h.window.Control(kLedStatics[n - 1].nOff)), strLed);
        EXPECT_EQ(Name(h.window.Control(kLedStatics[n - 1].nOn)), strLed);
        QWidget* pBox = h.window.Control(IDC_LED_CHECK_1 + n - 1);
        EXPECT_EQ(Name(pBox), QString::number(n));
        EXPECT_EQ(Description(pBox), QStringLiteral("hold LED %1 lit").arg(n));
    }
    // LED 1 is the rightmost lamp.
    EXPECT_GT(h.window.Control(kLedStatics[0].nOff)->x(),
              h.window.Control(kLedStatics[7].nOff)->x());

    // The slider tells its value in milliseconds.
    QAccessibleInterface* pSlider =
        QAccessible::queryAccessibleInterface(h.window.Control(IDC_SPEED));
    ASSERT_NE(pSlider, nullptr);
    ASSERT_NE(pSlider->valueInterface(), nullptr);
    EXPECT_EQ(pSlider->valueInterface()->currentValue().toInt(), 500);
    EXPECT_EQ(pSlider->valueInterface()->minimumValue().toInt(), 32);
    EXPECT_EQ(pSlider->valueInterface()->maximumValue().toInt(), 5000);
    // Read out and hovered, with the unit, wherever the value came from.
    auto* pSpeed = h.Ctl<QSlider>(IDC_SPEED);
    for (const int nMs : {500, 32, 1234}) {
        pSpeed->setValue(nMs);
        const QString strText = QStringLiteral("%1 ms").arg(nMs);
        EXPECT_EQ(pSlider->text(QAccessible::Value), strText);
        EXPECT_EQ(pSpeed->toolTip(), strText);
    }
}

TEST(WindowAccess, LampDescriptionsFollowTheLeds) {
    WindowHarness h;
    auto lampsSay = [&](int nLed) {
        const LedStatics& led = kLedStatics[nLed - 1];
        const QString strOff = Description(h.window.Control(led.nOff));
        EXPECT_EQ(Description(h.window.Control(led.nOn)), strOff) << nLed;
        return strOff;
    };
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(lampsSay(n), QStringLiteral("off"));
    h.session.ShowLeds(0x81, false);
    EXPECT_EQ(lampsSay(1), QStringLiteral("on"));
    EXPECT_EQ(lampsSay(8), QStringLiteral("on"));
    EXPECT_EQ(lampsSay(2), QStringLiteral("off"));
    h.dlg.OnChar('1');  // byLeds was 0: LED 1 on, LED 8 out
    EXPECT_EQ(lampsSay(1), QStringLiteral("on"));
    EXPECT_EQ(lampsSay(8), QStringLiteral("off"));

    QWidget* pRun = h.window.Control(IDC_RUNICON);
    EXPECT_EQ(Description(pRun), QStringLiteral("off"));
    h.window.Show(IDC_RUNICON, true);
    EXPECT_EQ(Description(pRun), QStringLiteral("on"));
    h.window.Show(IDC_RUNICON, false);
    EXPECT_EQ(Description(pRun), QStringLiteral("off"));
}

TEST(WindowAccess, ABoxToggledByAssistiveTechnologyLightsItsLamp) {
    WindowHarness h;
    QAccessibleInterface* pBox =
        QAccessible::queryAccessibleInterface(h.window.Control(IDC_LED_CHECK_1));
    ASSERT_NE(pBox, nullptr);
    ASSERT_NE(pBox->actionInterface(), nullptr);
    pBox->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(h.window.GetCheck(IDC_LED_CHECK_1));
    EXPECT_TRUE(h.window.IsShown(kLedStatics[0].nOn));
    EXPECT_EQ(Description(h.window.Control(kLedStatics[0].nOn)), QStringLiteral("on"));
    pBox->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(h.window.IsShown(kLedStatics[0].nOn));

    // A box the logic sets is no click: the LED byte and the panel stay as they were.
    h.window.SetCheck(IDC_LED_CHECK_1 + 2, true);
    EXPECT_FALSE(h.window.IsShown(kLedStatics[2].nOn));
}

TEST(WindowAccess, TabVisitsTheControlsInTemplateOrder) {
    WindowHarness h;
    QApplication::setActiveWindow(&h.window);
    std::vector<int> aExpected;
    for (const DialogControl& ctl : kMainDialog) {
        if (ctl.nId == -1 || ctl.kind == ControlKind::IconStatic)
            continue;
        aExpected.push_back(ctl.nId);
    }
    h.window.Control(aExpected.front())->setFocus();
    std::vector<int> aVisited;
    for (size_t n = 0; n < aExpected.size(); ++n) {
        aVisited.push_back(OwnerId(h.window, QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(aVisited, aExpected);
    // Past the trace log Tab comes round to the first control.
    EXPECT_EQ(OwnerId(h.window, QApplication::focusWidget()), aExpected.front());
}

TEST(WindowAccess, DigitKeysToggleLedsWhileAListIsOpen) {
    WindowHarness h;
    auto* pCombo = h.Ctl<QComboBox>(IDC_COMMAND);
    pCombo->showPopup();
    QAbstractItemView* pList = pCombo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pList->isVisible(); }, 2000));
    const int nRow = pList->currentIndex().row();

    QTest::keyClick(pList, Qt::Key_3);
    EXPECT_EQ(h.session.Player().Leds(), 0x04);
    EXPECT_TRUE(h.window.IsShown(kLedStatics[2].nOn));
    EXPECT_TRUE(pList->isVisible());
    EXPECT_EQ(pList->currentIndex().row(), nRow);
    QTest::keyClick(pList, Qt::Key_3);
    EXPECT_EQ(h.session.Player().Leds(), 0x00);

    // Escape still closes the list (and not the window).
    QTest::keyClick(pList, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pList->isVisible(); }, 2000));
    EXPECT_TRUE(h.window.isVisible());
}

TEST(WindowAccess, SliderPagesByAFifthAndTipsItsValue) {
    WindowHarness h;
    auto* pSlider = h.Ctl<QSlider>(IDC_SPEED);
    EXPECT_EQ(pSlider->pageStep(), (5000 - 32) / 5);
    pSlider->setFocus();
    QTest::keyClick(pSlider, Qt::Key_PageUp);
    EXPECT_EQ(pSlider->value(), 500 + (5000 - 32) / 5);

    pSlider->setSliderDown(true);
    pSlider->setSliderPosition(1234);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("1234 ms"));
    pSlider->setSliderDown(false);
    QToolTip::hideText();
}

TEST(WindowAccess, AboutBoxReadsAndClosesLikeADialog) {
    CRand rand;
    CAboutDlg dlg(rand);
    CStaticText* pText = dlg.findChild<CStaticText*>();
    ASSERT_NE(pText, nullptr);
    EXPECT_EQ(Role(pText), QAccessible::StaticText);
    EXPECT_EQ(Name(pText), FromCp1252(kAboutVersionText));
    EXPECT_EQ(Name(dlg.MatrixWnd()), QStringLiteral("animation"));
    for (QWidget* pChild : dlg.findChildren<QWidget*>()) {
        if (pChild->isVisibleTo(&dlg)) {
            EXPECT_FALSE(Name(pChild).isEmpty()) << pChild->metaObject()->className();
        }
    }

    // Escape cancels, Return presses OK.
    const std::pair<Qt::Key, int> aKeys[] = {{Qt::Key_Escape, QDialog::Rejected},
                                             {Qt::Key_Return, QDialog::Accepted}};
    for (const auto& [key, nResult] : aKeys) {
        SCOPED_TRACE(key);
        CAboutDlg box(rand);
        QTimer::singleShot(0, &box, [&box, key = key] {
            QWidget* pFocus = QApplication::focusWidget();
            QTest::keyClick(pFocus && pFocus->window() == &box ? pFocus : &box, key);
        });
        QTimer::singleShot(3000, &box, [&box] { box.done(42); });  // ends a failing test
        EXPECT_EQ(box.exec(), nResult);
    }
}
