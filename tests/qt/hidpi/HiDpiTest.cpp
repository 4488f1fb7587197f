// The window at a device pixel ratio of 2 (QT_SCALE_FACTOR=2, set by this program's
// main): twice the pixels, the same dialog-unit layout, nothing cut off, and pictures
// drawn at the device's resolution.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>

#include "about/qt/AboutDlg.h"
#include "app/qt/MainDialogTemplate.h"
#include "base/Rand.h"
#include "tests/qt/WindowHarness.h"

namespace {

// A picture drawn for the device: as many pixels as the ratio asks, none of them blank.
void ExpectSharp(const QLabel* pLabel, qreal dRatio) {
    const QPixmap pixmap = pLabel->pixmap();
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.devicePixelRatio(), dRatio);
    const int nLogical = std::min(pLabel->width(), pLabel->height());
    EXPECT_EQ(pixmap.width(), qRound(nLogical * dRatio));
    const QImage image = pixmap.toImage();
    int nOpaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nOpaque += qAlpha(image.pixel(x, y)) > 128;
    EXPECT_GT(nOpaque, image.width());
}

}  // namespace

TEST(HiDpi, WindowIsTwiceAsLargeWithTheSameLayout) {
    WindowHarness h("-p 1 -e 1");
    ASSERT_EQ(h.window.devicePixelRatioF(), 2.0);
    const DialogUnits& du = h.window.Units();
    EXPECT_EQ(h.window.size(), QSize(du.X(kMainDialogWidth), du.Y(kMainDialogHeight)));
    EXPECT_EQ(h.window.grab().size(), h.window.size() * 2);

    const QRect rcWindow = h.window.rect();
    h.window.Show(IDC_RUNICON, true);  // its picture, not the clear one it has while out
    for (const DialogControl& ctl : kMainDialog) {
        if (ctl.nId == -1)
            continue;
        SCOPED_TRACE(ctl.nId);
        QWidget* pWidget = h.window.Control(ctl.nId);
        EXPECT_EQ(pWidget->pos(), QPoint(du.X(ctl.nX), du.Y(ctl.nY)));
        EXPECT_TRUE(rcWindow.contains(pWidget->geometry())) << ctl.nId;
        // Texts of buttons and check boxes fit their controls.
        if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
            EXPECT_LE(pButton->fontMetrics().horizontalAdvance(pButton->text()), pButton->width());
            EXPECT_LE(pButton->fontMetrics().height(), pButton->height());
        }
        if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
            EXPECT_GE(pCombo->height(), pCombo->sizeHint().height());
        }
        if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
            ExpectSharp(pLabel, 2.0);
        }
    }
}

TEST(HiDpi, AboutBoxIconIsDrawnForTheDevice) {
    CRand rand;
    CAboutDlg dlg(rand);
    int nIcons = 0;
    for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        if (pLabel->pixmap().isNull())
            continue;
        ++nIcons;
        EXPECT_EQ(pLabel->pixmap().devicePixelRatio(), 2.0);
    }
    EXPECT_EQ(nIcons, 1);
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
