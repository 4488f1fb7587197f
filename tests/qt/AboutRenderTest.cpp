// The about box offscreen: the animation's composed image after some ticks, and the
// dialog's controls.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "about/AboutTexts.h"
#include "about/qt/AboutDlg.h"
#include "about/qt/MatrixWnd.h"
#include "about/qt/StaticText.h"

namespace {

bool IsGreenOrGrey(QRgb rgb) {
    return qRed(rgb) == qBlue(rgb) && qGreen(rgb) >= qRed(rgb);
}
bool IsGreen(QRgb rgb) {
    return qGreen(rgb) >= 64 && qRed(rgb) == 0 && qBlue(rgb) == 0;
}

int CountGreen(const QImage& img, const QRect& rc) {
    int nGreen = 0;
    for (int y = rc.top(); y <= rc.bottom(); ++y) {
        for (int x = rc.left(); x <= rc.right(); ++x) {
            nGreen += IsGreen(img.pixel(x, y));
        }
    }
    return nGreen;
}

TEST(AboutRender, ComposesRainAndTheCentredLineOnBlack) {
    CRand rand;
    CMatrixWnd wnd(rand);
    wnd.SetText(kAboutLines);
    // A 2-pixel client edge around a 300 x 180 picture.
    ASSERT_TRUE(wnd.Create(QRect(0, 0, 304, 184)));
    EXPECT_TRUE(wnd.IsTimerRunning(100) && wnd.IsTimerRunning(200) && wnd.IsTimerRunning(300));

    // The timers' ticks by hand, in their proportions, until the first line shows and
    // the horizontal run has moved well past it.
    const CMatrixRain& rain = wnd.Rain();
    int nTicks = 0;
    while (rain.RunX() < rain.TextX() + 40 && nTicks < 5000) {
        ++nTicks;
        wnd.OnTimer(100);
        if (nTicks % 3 == 0) {
            wnd.OnTimer(200);
        }
        if (nTicks % 12 == 0) {
            wnd.OnTimer(300);
        }
    }
    ASSERT_EQ(rain.Center(), "What is Glowdesk?");

    const QImage img = wnd.ComposedImage();
    ASSERT_EQ(img.size(), QSize(300, 180));
    int nBlack = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_TRUE(IsGreenOrGrey(img.pixel(x, y))) << x << "," << y;
            nBlack += img.pixel(x, y) == qRgb(0, 0, 0);
        }
    }
    EXPECT_GT(nBlack, img.width() * img.height() * 7 / 10);

    // The centred line, left of where the horizontal run now is.
    const QRect rcLine(60, 80, rain.RunX() - 60, 20);
    EXPECT_GT(CountGreen(img, rcLine), 50);

    // The rain: above the line and away from the runs, what the rain image holds shows.
    const QImage imgRain = wnd.RainImage();
    const QRect rcTop(0, 0, 300, 40);
    const int nRainGreen = CountGreen(imgRain, rcTop);
    EXPECT_GT(nRainGreen, 10);
    int nSame = 0;
    for (int y = rcTop.top(); y <= rcTop.bottom(); ++y) {
        for (int x = rcTop.left(); x <= rcTop.right(); ++x) {
            nSame += IsGreen(imgRain.pixel(x, y)) && img.pixel(x, y) == imgRain.pixel(x, y);
        }
    }
    EXPECT_GT(nSame, nRainGreen / 2);
}

TEST(AboutRender, ResizeChangesOnlyTheComposedImage) {
    CRand rand;
    CMatrixWnd wnd(rand);
    ASSERT_TRUE(wnd.Create(QRect(0, 0, 204, 104)));
    wnd.show();  // a hidden widget hears of its new size only when shown
    wnd.OnTimer(300);
    wnd.resize(404, 204);
    wnd.OnTimer(300);
    EXPECT_EQ(wnd.ComposedImage().size(), QSize(400, 200));
    EXPECT_EQ(wnd.RainImage().size(), QSize(200, 100));
    EXPECT_EQ(wnd.Rain().Cols(), 200 / (QFontMetrics(wnd.font()).averageCharWidth() + 10));
}

TEST(AboutRender, DialogHoldsItsControlsAndTheAnimation) {
    CRand rand;
    CAboutDlg dlg(rand);
    EXPECT_EQ(dlg.windowTitle().toStdString(), "About Glowdesk");
    CStaticText* pVersion = dlg.findChild<CStaticText*>();
    ASSERT_NE(pVersion, nullptr);
    EXPECT_EQ(pVersion->Text().toStdString(), kAboutVersionText);
    EXPECT_TRUE(pVersion->Text().contains("\n    -t 1\t\tTrace on\n"));

    bool bIcon = false;
    for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        const QPixmap pix = pLabel->pixmap();
        if (!pix.isNull()) {
            const QImage img = pix.toImage();
            for (int y = 0; y < img.height() && !bIcon; ++y) {
                for (int x = 0; x < img.width() && !bIcon; ++x) {
                    bIcon = qAlpha(img.pixel(x, y)) > 0;
                }
            }
        }
    }
    EXPECT_TRUE(bIcon) << "icon 131 has no pixels";

    QPushButton* pOk = dlg.findChild<QPushButton*>();
    ASSERT_NE(pOk, nullptr);
    EXPECT_EQ(pOk->text().toStdString(), "OK");
    EXPECT_TRUE(pOk->isDefault());

    CMatrixWnd* pWnd = dlg.MatrixWnd();
    ASSERT_NE(pWnd, nullptr);
    QWidget* pFrame = dlg.findChild<QWidget*>("1032");
    ASSERT_NE(pFrame, nullptr);
    EXPECT_FALSE(pFrame->isVisibleTo(&dlg));
    EXPECT_EQ(pWnd->geometry(), pFrame->geometry());
    EXPECT_TRUE(pWnd->IsTimerRunning(300));
    EXPECT_TRUE(dlg.rect().contains(pWnd->geometry()));
}

TEST(AboutRender, EachOpeningDrawsOnFromTheGeneratorItIsGiven) {
    auto ColumnLengths = [](CRand& rand) {
        CAboutDlg dlg(rand);
        const CMatrixRain& rain = dlg.MatrixWnd()->Rain();
        std::vector<int> aLengths;
        for (int j = 0; j < rain.Cols(); ++j)
            aLengths.push_back(rain.Column(j).nLength);
        return aLengths;
    };
    CRand shared;
    shared.Seed(12345);  // as playback seeds it
    const std::vector<int> aFirst = ColumnLengths(shared);
    ASSERT_FALSE(aFirst.empty());
    // The second box goes on where the first left the sequence: other rain.
    EXPECT_NE(ColumnLengths(shared), aFirst);
    // The first box's rain is the generator's, not a sequence of its own.
    CRand same;
    same.Seed(12345);
    EXPECT_EQ(ColumnLengths(same), aFirst);
}

}  // namespace
