#include "app/qt/GlowdeskWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include "about/qt/AboutDlg.h"
#include "app/ControlIds.h"
#include "app/GlowdeskDlg.h"
#include "app/qt/AccessibleNames.h"
#include "app/qt/ComboAccessible.h"
#include "app/qt/DisplayBatch.h"
#include "app/qt/FileFilter.h"
#include "app/qt/MainDialogTemplate.h"
#include "app/qt/PortComboBox.h"
#include "app/qt/PortWatcher.h"
#include "app/qt/ProgramEditorDlg.h"
#include "app/qt/SliderAccessible.h"
#include "base/qt/Cp1252.h"
#include "base/qt/IconRes.h"

namespace {

// The dialog font: the platform's sans-serif at 8 points.
QFont DialogFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

constexpr const char* kEditProgramMenuText = "Edit program...";

// The file-name box holds a path in the file system's own bytes, which need not be
// Windows-1252; the bytes are kept beside the shown text so they come back unchanged.
constexpr const char* kRawBytes = "glowdeskRawBytes";

// The counters change with every frame of a transfer: they are shown a frame at a time.
bool IsBatchedBox(int nId) {
    return nId == IDC_RXCOUNT || nId == IDC_TXCOUNT;
}

// The LED (1 to 8) whose lamp a static is, or 0.
int LedOfLamp(int nId) {
    for (int n = 0; n < 8; ++n) {
        if (kLedStatics[n].nOff == nId || kLedStatics[n].nOn == nId)
            return n + 1;
    }
    return 0;
}

// The run indicator blinks on every other step of a playback. Put out, it keeps its
// place with a clear picture: the frame behind it is not drawn again each time, and
// assistive technology still finds it and reads "off".
bool KeepsPlace(int nId) {
    return nId == IDC_RUNICON;
}
constexpr const char* kShownProperty = "glowdeskShown";
constexpr const char* kPictureProperty = "glowdeskPicture";

QString StepTimeText(int nMs) {
    return QStringLiteral("%1 ms").arg(nMs);
}

}  // namespace

GlowdeskWindow::GlowdeskWindow(QWidget* pParent) : QDialog(pParent), units(DialogFont()) {
    // A fixed-size top-level window with title bar, system menu, minimise and close.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setWindowTitle(FromCp1252(kMainDialogTitle));
    setFixedSize(units.X(kMainDialogWidth), units.Y(kMainDialogHeight));

    for (const DialogControl& ctl : kMainDialog) {
        QWidget* pWidget = CreateControl(ctl);
        if (ctl.nId != -1 && mapControls.count(ctl.nId) == 0)
            mapControls[ctl.nId] = pWidget;
    }
    ConnectClicks();
    FollowPorts();
    ConnectSlider();
    SetAccessibleNames();
    if (auto* pLog = qobject_cast<QPlainTextEdit*>(Control(IDC_TRACE))) {
        // The log is the last stop of Tab, not a place to type tabs.
        pLog->setTabChangesFocus(true);
        pBatch = new CDisplayBatch(*pLog, paths, this);
    }
    setAcceptDrops(true);
    // Keys are looked at before any control sees them, wherever the focus is.
    qApp->installEventFilter(this);
}

GlowdeskWindow::~GlowdeskWindow() {
    qApp->removeEventFilter(this);
}

QWidget* GlowdeskWindow::CreateControl(const DialogControl& ctl) {
    const QString strText = FromCp1252(ctl.pText);
    QRect rc = units.Rect(ctl.nX, ctl.nY, ctl.nW, ctl.nH);
    QWidget* pWidget = nullptr;
    switch (ctl.kind) {
        case ControlKind::ComboBox: {
            auto* pCombo = ctl.nId == IDC_COMPORT ? new PortComboBox(this) : new QComboBox(this);
            UseNamedComboAccessible(pCombo);  // before anything asks for its interface
            pCombo->setEditable(true);
            pCombo->setInsertPolicy(QComboBox::NoInsert);
            pCombo->setDuplicatesEnabled(true);
            // The template's height includes the drop-down list; the box itself
            // is as high as its text field.
            const int nBoxHeight = pCombo->sizeHint().height();
            const int nRowHeight = pCombo->fontMetrics().height() + 2;
            pCombo->setMaxVisibleItems(std::max(1, (rc.height() - nBoxHeight) / nRowHeight));
            rc.setHeight(nBoxHeight);
            pWidget = pCombo;
            break;
        }
        case ControlKind::PushButton: {
            auto* pButton = new QPushButton(strText, this);
            // Return never presses a button of this window.
            pButton->setAutoDefault(false);
            pButton->setDefault(false);
            pWidget = pButton;
            break;
        }
        case ControlKind::Slider: {
            auto* pSlider = new QSlider(Qt::Horizontal, this);
            UseStepTimeAccessible(pSlider);  // before anything asks for its interface
            pSlider->setTickPosition(QSlider::NoTicks);
            pWidget = pSlider;
            break;
        }
        case ControlKind::IconStatic: {
            auto* pLabel = new QLabel(this);
            pLabel->setAlignment(Qt::AlignCenter);
            // The picture on the window's own background, filled solid: to Qt that is
            // opaque, so a lamp that changes repaints itself only, not the frame behind.
            pLabel->setAutoFillBackground(true);
            pWidget = pLabel;
            break;
        }
        case ControlKind::GroupBox: {
            auto* pGroup = new QGroupBox(strText, this);
            // The frame line runs through the middle of the title, as dialog frames
            // do, so the template's coordinates hold.
            pGroup->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                " margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                " left: 6px; padding: 0 2px; }"));
            pWidget = pGroup;
            break;
        }
        case ControlKind::Edit: {
            auto* pEdit = new QLineEdit(strText, this);
            pEdit->setReadOnly(true);
            if (IsBatchedBox(ctl.nId)) {
                // Drawn whole on the window's background: the counters change many times
                // a second and should not repaint the frame they stand in each time.
                pEdit->setBackgroundRole(QPalette::Window);
                pEdit->setAutoFillBackground(true);
            }
            pWidget = pEdit;
            break;
        }
        case ControlKind::MultiEdit: {
            auto* pEdit = new QPlainTextEdit(strText, this);
            pEdit->setReadOnly(true);
            pEdit->setUndoRedoEnabled(false);  // the log only grows; no history
            // A vertical scroll bar and no horizontal one: long lines wrap, long
            // words too.
            pEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            pEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            pEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            pWidget = pEdit;
            break;
        }
        case ControlKind::CheckBox: {
            pWidget = new QCheckBox(strText, this);
            break;
        }
    }
    pWidget->setGeometry(rc);
    if (ctl.kind == ControlKind::GroupBox) {
        // A frame behind the controls it surrounds, never in their way.
        pWidget->lower();
        pWidget->setFocusPolicy(Qt::NoFocus);
    }
    if (ctl.kind == ControlKind::IconStatic) {
        pWidget->setProperty("glowdeskIcon", ctl.nIcon);
        RenderIcon(static_cast<QLabel*>(pWidget));
    }
    if (ctl.bHidden && KeepsPlace(ctl.nId))
        ShowPicture(static_cast<QLabel*>(pWidget), false);
    else if (ctl.bHidden)
        pWidget->hide();
    return pWidget;
}

void GlowdeskWindow::ConnectClicks() {
    auto connectButton = [this](int nId, auto handler) {
        if (auto* pButton = qobject_cast<QAbstractButton*>(Control(nId))) {
            connect(pButton, &QAbstractButton::clicked, this, [this, handler] {
                if (pDlg)
                    handler(*pDlg);
            });
        }
    };
    connectButton(IDC_CONNECT, [](CGlowdeskDlg& dlg) { dlg.OnConnect(); });
    connectButton(IDC_START, [](CGlowdeskDlg& dlg) { dlg.OnStart(); });
    connectButton(IDC_CLR, [](CGlowdeskDlg& dlg) { dlg.OnClr(); });
    for (int nLed = 1; nLed <= 8; ++nLed) {
        auto* pBox = qobject_cast<QAbstractButton*>(Control(IDC_LED_CHECK_1 + nLed - 1));
        if (!pBox)
            continue;
        // toggled comes after the box has changed its state, as the logic expects, and
        // also when assistive technology toggles it (which sends no click). A change
        // the logic makes itself is no click.
        connect(pBox, &QAbstractButton::toggled, this, [this, nLed] {
            if (pDlg && !bSettingCheck)
                pDlg->OnLedClicked(nLed);
        });
    }
}

void GlowdeskWindow::FollowPorts() {
    auto refresh = [this] {
        if (pDlg)
            pDlg->RefreshPortBox();
    };
    if (auto* pBox = qobject_cast<PortComboBox*>(Control(IDC_COMPORT)))
        connect(pBox, &PortComboBox::aboutToShowPopup, this, refresh);
#ifndef Q_OS_WIN
    // On Windows finding ports means opening each: only when the list opens.
    pPortWatcher = new PortWatcher(QStringLiteral("/dev"), true, this);
    connect(pPortWatcher, &PortWatcher::changed, this, refresh);
#endif
}

void GlowdeskWindow::SetAccessibleNames() {
    for (const AccessibleName& name : kAccessibleNames) {
        QWidget* pWidget = Control(name.nId);
        if (!pWidget)
            continue;
        pWidget->setAccessibleName(QString::fromLatin1(name.pName));
        pWidget->setAccessibleDescription(QString::fromLatin1(name.pDescription));
        // A combo box's text field is what has the focus: it carries the box's name.
        if (auto* pCombo = qobject_cast<QComboBox*>(pWidget); pCombo && pCombo->lineEdit())
            pCombo->lineEdit()->setAccessibleName(pWidget->accessibleName());
    }
    for (int n = 1; n <= 8; ++n) {
        const QString strLed = QStringLiteral("LED %1").arg(n);
        for (int nId : {kLedStatics[n - 1].nOff, kLedStatics[n - 1].nOn}) {
            if (QWidget* pLamp = Control(nId))
                pLamp->setAccessibleName(strLed);
        }
        DescribeState(kLedStatics[n - 1].nOff);
        if (QWidget* pBox = Control(IDC_LED_CHECK_1 + n - 1))
            pBox->setAccessibleDescription(QStringLiteral("hold LED %1 lit").arg(n));
    }
    DescribeState(IDC_RUNICON);
}

void GlowdeskWindow::DescribeState(int nId) {
    const int nLed = LedOfLamp(nId);
    // Both pictures of a lamp tell the lamp's state, whichever of them is shown.
    const int nOn = nLed ? kLedStatics[nLed - 1].nOn : nId;
    const int nOff = nLed ? kLedStatics[nLed - 1].nOff : nId;
    const QString strState = QString::fromLatin1(IsShown(nOn) ? kLitDescription : kDarkDescription);
    for (int nPart : {nOff, nOn}) {
        QWidget* pWidget = Control(nPart);
        if (pWidget && pWidget->accessibleDescription() != strState)
            pWidget->setAccessibleDescription(strState);
    }
}

void GlowdeskWindow::ConnectSlider() {
    auto* pSlider = qobject_cast<QSlider*>(Control(IDC_SPEED));
    if (!pSlider)
        return;
    // While the handle is dragged its tip tells the step time it stands for.
    auto showTip = [this, pSlider](int nValue) {
        QToolTip::showText(pSlider->mapToGlobal(QPoint(pSlider->width() / 2, 0)),
                           StepTimeText(nValue), pSlider);
    };
    connect(pSlider, &QSlider::sliderMoved, this, showTip);
    connect(pSlider, &QSlider::sliderPressed, this,
            [pSlider, showTip] { showTip(pSlider->value()); });
    // Hovered or read out, it says the step time without being dragged.
    const auto setTip = [pSlider](int nValue) { pSlider->setToolTip(StepTimeText(nValue)); };
    connect(pSlider, &QSlider::valueChanged, this, setTip);
    setTip(pSlider->value());
}

void GlowdeskWindow::FlushDisplay() {
    if (pBatch)
        pBatch->Apply();
}

QWidget* GlowdeskWindow::Control(int nId) const {
    auto it = mapControls.find(nId);
    return it == mapControls.end() ? nullptr : it->second;
}

bool GlowdeskWindow::HasControl(int nId) const {
    return Control(nId) != nullptr;
}

std::string GlowdeskWindow::GetTitle() const {
    return ToCp1252(windowTitle());
}

void GlowdeskWindow::SetTitle(const std::string& strTitle) {
    FlushDisplay();
    setWindowTitle(FromCp1252(strTitle));
}

void GlowdeskWindow::SetWindowIcon(int nIconRes) {
    FlushDisplay();
    setWindowIcon(IconByRes(nIconRes));
}

std::string GlowdeskWindow::GetText(int nId) const {
    QWidget* pWidget = Control(nId);
    if (auto* pCombo = qobject_cast<QComboBox*>(pWidget))
        return ToCp1252(pCombo->currentText());
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        return ToCp1252(pButton->text());
    if (nId == IDC_TRACE && pBatch)
        return pBatch->TraceText();
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        std::string strPending;
        if (pBatch && pBatch->PendingBoxText(*pEdit, strPending))
            return strPending;
        const QVariant raw = pEdit->property(kRawBytes);
        if (raw.isValid())
            return raw.toByteArray().toStdString();
        return ToCp1252(pEdit->text());
    }
    if (auto* pEdit = qobject_cast<QPlainTextEdit*>(pWidget))
        return ToCp1252(pEdit->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
        return ToCp1252(pLabel->text());
    if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
        return ToCp1252(pGroup->title());
    return {};
}

void GlowdeskWindow::SetText(int nId, const std::string& strText) {
    QWidget* pWidget = Control(nId);
    if (!pWidget)
        return;
    if (pBatch && nId == IDC_TRACE) {
        pBatch->SetTrace(strText);
        return;
    }
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget); pBatch && pEdit && IsBatchedBox(nId)) {
        pBatch->SetBoxText(*pEdit, strText, nId == IDC_TXCOUNT);
        return;
    }
    // A text set again unchanged (the start button on every request) shows nothing new.
    if (GetText(nId) == strText)
        return;
    FlushDisplay();
    if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
        pCombo->setEditText(FromCp1252(strText));
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
        pButton->setText(FromCp1252(strText));
    } else if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        if (nId == IDC_FILENAME) {
            paths.Remember(strText);
            pEdit->setProperty(kRawBytes, QByteArray::fromStdString(strText));
            pEdit->setText(QFile::decodeName(QByteArray::fromStdString(strText)));
        } else {
            pEdit->setText(FromCp1252(strText));
        }
        pEdit->setCursorPosition(0);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        pLabel->setText(FromCp1252(strText));
    }
}

void GlowdeskWindow::AppendText(int nId, const std::string& strText) {
    if (pBatch && nId == IDC_TRACE)
        pBatch->AppendTrace(strText);
    else
        SetText(nId, GetText(nId) + strText);
}

void GlowdeskWindow::ScrollToEnd(int nId) {
    if (pBatch && nId == IDC_TRACE)
        pBatch->ScrollTraceToEnd();
}

void GlowdeskWindow::Redraw(int nId) {
    if (pBatch && nId == IDC_TRACE)
        pBatch->RedrawTrace();
    else if (QWidget* pWidget = Control(nId); pWidget && !IsBatchedBox(nId))
        pWidget->update();
}

bool GlowdeskWindow::GetCheck(int nId) const {
    auto* pBox = qobject_cast<QCheckBox*>(Control(nId));
    return pBox && pBox->isChecked();
}

void GlowdeskWindow::SetCheck(int nId, bool bChecked) {
    auto* pBox = qobject_cast<QCheckBox*>(Control(nId));
    if (!pBox || pBox->isChecked() == bChecked)
        return;
    FlushDisplay();
    bSettingCheck = true;
    pBox->setChecked(bChecked);
    bSettingCheck = false;
}

void GlowdeskWindow::Show(int nId, bool bShow) {
    QWidget* pWidget = Control(nId);
    if (!pWidget || IsShown(nId) == bShow)
        return;
    // The pictures (lamps, run indicator) change on every step of a playback: they
    // show the log first, the counters in their own time.
    auto* pLabel = qobject_cast<QLabel*>(pWidget);
    if (pBatch && pLabel)
        pBatch->ApplyTrace();
    else
        FlushDisplay();
    if (pLabel && KeepsPlace(nId))
        ShowPicture(pLabel, bShow);
    else
        pWidget->setVisible(bShow);
    DescribeState(nId);
}

bool GlowdeskWindow::IsShown(int nId) const {
    QWidget* pWidget = Control(nId);
    if (!pWidget || pWidget->isHidden())
        return false;
    const QVariant shown = pWidget->property(kShownProperty);
    return !shown.isValid() || shown.toBool();
}

void GlowdeskWindow::ShowPicture(QLabel* pLabel, bool bShow) {
    pLabel->setProperty(kShownProperty, bShow);
    const QPixmap picture = pLabel->property(kPictureProperty).value<QPixmap>();
    if (bShow) {
        pLabel->setPixmap(picture);
        return;
    }
    // Clear, and of the same size: the label stays a picture to assistive technology.
    QPixmap clear(picture.size());
    clear.fill(Qt::transparent);
    clear.setDevicePixelRatio(picture.devicePixelRatio());
    pLabel->setPixmap(clear);
}

void GlowdeskWindow::SetIcon(int nId, int nIconRes) {
    auto* pLabel = qobject_cast<QLabel*>(Control(nId));
    if (!pLabel)
        return;
    FlushDisplay();
    pLabel->setProperty("glowdeskIcon", nIconRes);
    RenderIcon(pLabel);
}

void GlowdeskWindow::RenderIcon(QLabel* pLabel) {
    // Drawn from the SVG at the screen's pixel ratio, so it stays sharp when scaled.
    const int nSize = std::min(pLabel->width(), pLabel->height());
    const QPixmap picture =
        IconPixmap(pLabel->property("glowdeskIcon").toInt(), nSize, devicePixelRatioF());
    pLabel->setProperty(kPictureProperty, picture);
    const QVariant shown = pLabel->property(kShownProperty);
    if (shown.isValid())
        ShowPicture(pLabel, shown.toBool());
    else
        pLabel->setPixmap(picture);
}

void GlowdeskWindow::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    if (bScreenWatched || !windowHandle())
        return;
    bScreenWatched = true;
    // On a screen of another pixel ratio the pictures are drawn again.
    connect(windowHandle(), &QWindow::screenChanged, this, [this] {
        for (QLabel* pLabel : findChildren<QLabel*>()) {
            if (pLabel->property("glowdeskIcon").isValid())
                RenderIcon(pLabel);
        }
    });
}

void GlowdeskWindow::ComboReset(int nId) {
    FlushDisplay();
    if (auto* pCombo = qobject_cast<QComboBox*>(Control(nId)))
        pCombo->clear();
}

int GlowdeskWindow::ComboCount(int nId) const {
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    return pCombo ? pCombo->count() : -1;
}

int GlowdeskWindow::ComboGetSel(int nId) const {
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    return pCombo ? pCombo->currentIndex() : -1;
}

void GlowdeskWindow::ComboSetSel(int nId, int nRow) {
    FlushDisplay();
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    if (!pCombo)
        return;
    pCombo->setCurrentIndex(nRow >= 0 && nRow < pCombo->count() ? nRow : -1);
}

std::string GlowdeskWindow::ComboGetRow(int nId, int nRow) const {
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    if (!pCombo || nRow < 0 || nRow >= pCombo->count())
        return {};
    return ToCp1252(pCombo->itemText(nRow));
}

void GlowdeskWindow::ComboInsert(int nId, int nRow, const std::string& strText) {
    FlushDisplay();
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    if (!pCombo)
        return;
    if (nRow < 0 || nRow > pCombo->count())
        nRow = pCombo->count();
    // Inserting selects nothing and leaves the text field alone; Qt would select
    // the first row of an empty box.
    const int nOldSel = pCombo->currentIndex();
    const QString strEdit = pCombo->currentText();
    pCombo->insertItem(nRow, FromCp1252(strText));
    const int nWantSel = nOldSel < 0 ? -1 : (nOldSel >= nRow ? nOldSel + 1 : nOldSel);
    if (pCombo->currentIndex() != nWantSel) {
        pCombo->setCurrentIndex(nWantSel);
        pCombo->setEditText(strEdit);
    }
}

void GlowdeskWindow::ComboDelete(int nId, int nRow) {
    FlushDisplay();
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    if (!pCombo || nRow < 0 || nRow >= pCombo->count())
        return;
    // Deleting the selected row leaves no selection (and the text field as it was);
    // Qt would select a neighbour.
    const int nOldSel = pCombo->currentIndex();
    const QString strEdit = pCombo->currentText();
    pCombo->removeItem(nRow);
    const int nWantSel = nOldSel == nRow ? -1 : (nOldSel > nRow ? nOldSel - 1 : nOldSel);
    if (pCombo->currentIndex() != nWantSel) {
        pCombo->setCurrentIndex(nWantSel);
        pCombo->setEditText(strEdit);
    }
}

void GlowdeskWindow::ComboSetRowTip(int nId, int nRow, const std::string& strTip) {
    auto* pCombo = qobject_cast<QComboBox*>(Control(nId));
    if (!pCombo || nRow < 0 || nRow >= pCombo->count())
        return;
    pCombo->setItemData(nRow, FromCp1252(strTip), Qt::ToolTipRole);
}

void GlowdeskWindow::SliderSetRange(int nId, int nMin, int nMax) {
    FlushDisplay();
    if (auto* pSlider = qobject_cast<QSlider*>(Control(nId))) {
        pSlider->setRange(nMin, nMax);
        // Page Up/Down and a click on the groove move by a fifth of the range.
        pSlider->setPageStep(std::max(1, (nMax - nMin) / 5));
    }
}

void GlowdeskWindow::SliderSetPos(int nId, int nPos) {
    FlushDisplay();
    if (auto* pSlider = qobject_cast<QSlider*>(Control(nId)))
        pSlider->setValue(nPos);
}

int GlowdeskWindow::SliderGetPos(int nId) const {
    auto* pSlider = qobject_cast<QSlider*>(Control(nId));
    return pSlider ? pSlider->value() : 0;
}

void GlowdeskWindow::SetTimer(int nTimerId, int nPeriodMs) {
    QTimer*& pTimer = mapTimers[nTimerId];
    if (!pTimer) {
        pTimer = new QTimer(this);
        pTimer->setTimerType(Qt::PreciseTimer);
        connect(pTimer, &QTimer::timeout, this, [this, nTimerId] {
            if (pDlg)
                pDlg->OnTimer(nTimerId);
        });
    }
    pTimer->start(std::max(nPeriodMs, 0));
}

void GlowdeskWindow::KillTimer(int nTimerId) {
    auto it = mapTimers.find(nTimerId);
    if (it != mapTimers.end())
        it->second->stop();
}

bool GlowdeskWindow::IsTimerRunning(int nTimerId) const {
    auto it = mapTimers.find(nTimerId);
    return it != mapTimers.end() && it->second->isActive();
}

int GlowdeskWindow::TimerPeriod(int nTimerId) const {
    return IsTimerRunning(nTimerId) ? mapTimers.at(nTimerId)->interval() : 0;
}

void GlowdeskWindow::WatchPort(int nFd) {
#ifdef Q_OS_WIN
    // Serial handles there are not sockets: timer 2 alone polls.
    Q_UNUSED(nFd);
#else
    if (nFd == WatchedPort())
        return;
    if (pPortNotifier) {
        // This may run inside the notifier's own signal: stop it now, delete it later.
        pPortNotifier->setEnabled(false);
        pPortNotifier->deleteLater();
        pPortNotifier = nullptr;
    }
    if (nFd < 0)
        return;
    pPortNotifier = new QSocketNotifier(nFd, QSocketNotifier::Read, this);
    connect(pPortNotifier, &QSocketNotifier::activated, this, [this] {
        if (pDlg)
            pDlg->OnComReadable();
    });
#endif
}

int GlowdeskWindow::WatchedPort() const {
    return pPortNotifier && pPortNotifier->isEnabled() ? static_cast<int>(pPortNotifier->socket())
                                                       : -1;
}

void GlowdeskWindow::MessageBox(const std::string& strText) {
    FlushDisplay();
    QMessageBox box(QMessageBox::NoIcon, FromCp1252(kMainDialogTitle), FromCp1252(strText),
                    QMessageBox::Ok, this);
    box.exec();
}

SaveAnswer GlowdeskWindow::AskToSave(const std::string& strText) {
    FlushDisplay();
    QMessageBox box(QMessageBox::Warning, FromCp1252(kMainDialogTitle), FromCp1252(strText),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveAnswer::Save;
        case QMessageBox::Discard:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
    }
}

void GlowdeskWindow::closeEvent(QCloseEvent* pEvent) {
    if (!bDestroyed && pDlg && !pDlg->QueryClose()) {
        pEvent->ignore();
        return;
    }
    QDialog::closeEvent(pEvent);
}

bool GlowdeskWindow::FilterDrop(QEvent* pEvent) {
    auto* pDrop = static_cast<QDropEvent*>(pEvent);
    const QMimeData* pData = pDrop->mimeData();
    if (!pData || !pData->hasUrls() || !pDlg)
        return false;
    if (pEvent->type() != QEvent::Drop) {
        pDrop->acceptProposedAction();
        return true;
    }
    pDrop->acceptProposedAction();
    std::vector<std::string> aPaths;
    for (const QUrl& url : pData->urls()) {
        // Anything but a local file is kept by its address, which no load can read.
        const std::optional<std::string> strPath =
            url.isLocalFile() ? PathResult(url.toLocalFile()) : std::nullopt;
        aPaths.push_back(strPath ? *strPath : ToCp1252(url.toString()));
    }
    pDlg->OnDropFiles(aPaths);
    return true;
}

std::optional<std::string> GlowdeskWindow::PathResult(const QString& strPath) {
    if (strPath.isEmpty())
        return std::nullopt;
    // Qt speaks "/" everywhere; the logic gets the platform's own spelling.
    const std::string strBytes = QFile::encodeName(QDir::toNativeSeparators(strPath)).toStdString();
    paths.Remember(strBytes);
    return strBytes;
}

std::optional<std::string> GlowdeskWindow::ChooseOpenFile(const std::string& strFilter) {
    FlushDisplay();
    const QStringList aFilters = NameFiltersFromWindows(FromCp1252(strFilter));
    return PathResult(QFileDialog::getOpenFileName(this, QString(), QString(),
                                                   aFilters.join(QLatin1String(";;"))));
}

std::optional<std::string> GlowdeskWindow::ChooseSaveFile(const std::string& strFilter) {
    // The save dialog asks before an existing file is replaced.
    FlushDisplay();
    const QStringList aFilters = NameFiltersFromWindows(FromCp1252(strFilter));
    return PathResult(QFileDialog::getSaveFileName(this, QString(), QString(),
                                                   aFilters.join(QLatin1String(";;"))));
}

void GlowdeskWindow::ShowAboutBox() {
    FlushDisplay();
    // The rain draws from the program-wide generator that playback seeds.
    if (pDlg)
        RunAboutDialog(this, pDlg->Rand());
}

void GlowdeskWindow::ShowProgramEditor(int nIndex, const LightProgram& r) {
    if (pEditor)
        return;
    // The lamps of the grid look like the panel's, in the icon set chosen at start-up.
    const QWidget* pLitLamp = Control(kLedStatics[0].nOn);
    const int nLitIcon = pLitLamp ? pLitLamp->property("glowdeskIcon").toInt() : IDI_LED_ON;
    pEditor = new ProgramEditorDlg(CProgramDraft(r), nIndex, nLitIcon, this);
    pEditor->setAttribute(Qt::WA_DeleteOnClose);
    ProgramEditorDlg* pOpen = pEditor;
    connect(pOpen, &ProgramEditorDlg::previewStarted, this, [this, pOpen] {
        if (pDlg)
            pDlg->StartPreview(pOpen->ProgramIndex(), pOpen->Draft().Steps());
    });
    connect(pOpen, &ProgramEditorDlg::previewChanged, this, [this, pOpen] {
        if (pDlg)
            pDlg->UpdatePreview(pOpen->Draft().Steps());
    });
    connect(pOpen, &ProgramEditorDlg::previewStopped, this, [this] {
        if (pDlg)
            pDlg->StopPreview();
    });
    connect(pOpen, &QDialog::accepted, this, [this, pOpen] {
        if (pDlg)
            pDlg->CommitProgram(pOpen->ProgramIndex(), pOpen->Draft());
    });
    // Modal to this window, without a nested event loop.
    pOpen->open();
}

void GlowdeskWindow::ShowPreviewStep(int nStep, uint8_t byLeds) {
    if (pEditor)
        pEditor->ShowPlaying(nStep, byLeds);
}

ProgramEditorDlg* GlowdeskWindow::Editor() const {
    return pEditor;
}

void GlowdeskWindow::done(int nResult) {
    // The window goes away: the logic stops its timers and closes the port, once.
    if (!bDestroyed) {
        bDestroyed = true;
        if (pEditor)
            pEditor->done(QDialog::Rejected);  // its preview ends with it
        if (pDlg)
            pDlg->OnDestroy();
    }
    FlushDisplay();
    QDialog::done(nResult);
}

bool GlowdeskWindow::IsOwnWidget(QWidget* pWidget, bool* pInPopup) const {
    *pInPopup = false;
    QWidget* pWindow = pWidget->window();
    // A drop-down list is a window of its own, owned by its combo box.
    while (pWindow != this && pWindow->windowType() == Qt::Popup && pWindow->parentWidget()) {
        *pInPopup = true;
        pWindow = pWindow->parentWidget()->window();
    }
    return pWindow == this;
}

bool GlowdeskWindow::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::KeyPress) {
        auto* pWidget = qobject_cast<QWidget*>(pWatched);
        bool bInPopup = false;
        if (pWidget && IsOwnWidget(pWidget, &bInPopup))
            return FilterKey(static_cast<QKeyEvent*>(pEvent), bInPopup);
    }
    // The text fields would take a dropped file's name as text: the window loads it.
    if (pEvent->type() == QEvent::DragEnter || pEvent->type() == QEvent::DragMove ||
        pEvent->type() == QEvent::Drop) {
        auto* pWidget = qobject_cast<QWidget*>(pWatched);
        bool bInPopup = false;
        if (pWidget && IsOwnWidget(pWidget, &bInPopup) && !bInPopup && FilterDrop(pEvent))
            return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

bool GlowdeskWindow::FilterKey(QKeyEvent* pEvent, bool bInPopup) {
    // An open list keeps its own Return and Escape: they choose a row or close it.
    if (bInPopup && (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter ||
                     pEvent->key() == Qt::Key_Escape))
        return false;
    switch (pEvent->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // Neither presses a button nor closes the window.
            return true;
        case Qt::Key_F1:
            if (pDlg)
                pDlg->OnSysCommand(IDM_ABOUTBOX);
            return true;
        case Qt::Key_F2:
            if (pDlg)
                pDlg->OnEditProgram();
            return true;
        default:
            break;
    }
    // The digits 1 to 8 as typed characters (keypad included) toggle the LEDs and
    // reach no control, not even a combo box's text field.
    const QString strText = pEvent->text();
    const auto mods =
        pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (strText.size() == 1 && mods == Qt::NoModifier && pDlg) {
        const QChar ch = strText.at(0);
        if (ch >= QLatin1Char('1') && ch <= QLatin1Char('8'))
            return pDlg->OnChar(ch.toLatin1());
    }
    return false;
}

void GlowdeskWindow::contextMenuEvent(QContextMenuEvent* pEvent) {
    ShowSystemMenu(pEvent->globalPos());
}

void GlowdeskWindow::ShowSystemMenu(const QPoint& ptGlobal) {
    QMenu menu(this);
    QAction* pAbout = menu.addAction(FromCp1252(kAboutMenuText));
    connect(pAbout, &QAction::triggered, this, [this] {
        if (pDlg)
            pDlg->OnSysCommand(IDM_ABOUTBOX);
    });
    QAction* pEdit = menu.addAction(QString::fromLatin1(kEditProgramMenuText));
    pEdit->setEnabled(pDlg && pDlg->CanEditProgram());
    connect(pEdit, &QAction::triggered, this, [this] {
        if (pDlg)
            pDlg->OnEditProgram();
    });
    menu.exec(ptGlobal);
}
