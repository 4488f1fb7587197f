// The about box's text-rain window: carries out the animation's requests with
// QPainter on off-screen images. The rain image is kept from tick to tick; the
// composed image is rebuilt after every tick and copied to the screen on paint.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <map>
#include <memory>
#include <string_view>

#include "about/MatrixHost.h"
#include "about/MatrixRain.h"
#include "base/Rand.h"

class QtTextMeasure : public TextMeasure {
public:
    void SetFont(const QFont& font) { pMetrics = std::make_unique<QFontMetrics>(font); }
    int AvgCharWidth() const override { return pMetrics->averageCharWidth(); }
    int CharHeight() const override { return pMetrics->height(); }
    int TextWidth(std::string_view str) const override;

private:
    std::unique_ptr<QFontMetrics> pMetrics;
};

class CMatrixWnd : public QFrame, private MatrixHost {
    Q_OBJECT
public:
    // rand: the generator the rain draws from, the program's one.
    explicit CMatrixWnd(CRand& rand, QWidget* pParent = nullptr);
    ~CMatrixWnd() override;

    void SetText(std::string_view strText) { rain.SetText(strText); }
    // Places the window at rcWindow in its parent, sets up the rain and starts the
    // timers. Returns false if the window has no room for a picture.
    bool Create(const QRect& rcWindow);

    // One timer message: the animation's step, then a new composed image.
    void OnTimer(int nId);

    CRand& Rand() { return randGen; }
    const CMatrixRain& Rain() const { return rain; }
    const QImage& ComposedImage() const { return imgComp; }
    const QImage& RainImage() const { return imgRain; }
    bool IsTimerRunning(int nId) const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void SetTimer(int nId, int nMilliseconds) override;
    void KillTimer(int nId) override;
    void CreateRainSurfaces(int nWidth, int nHeight) override;
    void DrawRainChar(int nX, int nY, char ch, RainColor cr) override;
    void StretchZoom(int nX, int nY, int nWidth, int nHeight) override;

    void OnSize();
    void Compose();
    QPainter& RainPainter();
    void DrawOpaqueText(QPainter& painter, const QRect& rc, int nFlags, const std::string& str);

    QFont fontRain;
    QFont fontDisplay;
    QtTextMeasure measureRain;
    QtTextMeasure measureDisplay;
    CRand& randGen;
    CMatrixRain rain;
    std::map<int, QTimer*> mapTimers;
    QImage imgRain;
    QImage imgZoom;
    QImage imgComp;
    std::unique_ptr<QPainter> pRainPainter;  // open only while a step draws
};
