#include "about/qt/MatrixWnd.h"

#include <QApplication>
#include <QPaintEvent>
#include <QResizeEvent>

#include "base/qt/Cp1252.h"

namespace {

// The animation's texts, the glyphs among them, are Windows-1252 bytes.
QString FromNarrow(std::string_view str) {
    return FromCp1252(std::string(str));
}

}  // namespace

int QtTextMeasure::TextWidth(std::string_view str) const {
    return pMetrics->horizontalAdvance(FromNarrow(str));
}

CMatrixWnd::CMatrixWnd(CRand& rand, QWidget* pParent)
    : QFrame(pParent), randGen(rand), rain(*this, measureRain, measureDisplay, randGen) {
    // A sunken client edge; the animation fills what lies inside it.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The rain and the centring use the platform's default font, drawn without
    // smoothing so that a character drawn again in black erases it completely.
    fontRain = QApplication::font();
    fontRain.setStyleStrategy(QFont::NoAntialias);
    measureRain.SetFont(fontRain);

    fontDisplay.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    fontDisplay.setStyleHint(QFont::SansSerif);
    fontDisplay.setPixelSize(14);
    fontDisplay.setBold(true);
    measureDisplay.SetFont(fontDisplay);
}

CMatrixWnd::~CMatrixWnd() {
    for (auto& [nId, pTimer] : mapTimers) {
        pTimer->stop();
    }
}

bool CMatrixWnd::Create(const QRect& rcWindow) {
    setGeometry(rcWindow);
    OnSize();
    Compose();
    rain.Start();
    return true;
}

void CMatrixWnd::OnSize() {
    const QSize size = contentsRect().size();
    rain.OnSize(size.width(), size.height());
    // Only the composed image follows the window; the rain keeps its size.
    if (!imgComp.isNull() && imgComp.size() != size) {
        imgComp = QImage(size, QImage::Format_RGB32);
        imgComp.fill(Qt::black);
    }
}

void CMatrixWnd::resizeEvent(QResizeEvent* pEvent) {
    QFrame::resizeEvent(pEvent);
    OnSize();
}

bool CMatrixWnd::IsTimerRunning(int nId) const {
    auto it = mapTimers.find(nId);
    return it != mapTimers.end() && it->second->isActive();
}

void CMatrixWnd::SetTimer(int nId, int nMilliseconds) {
    QTimer*& pTimer = mapTimers[nId];
    if (pTimer == nullptr) {
        pTimer = new QTimer(this);
        pTimer->setTimerType(Qt::PreciseTimer);
        connect(pTimer, &QTimer::timeout, this, [this, nId] { OnTimer(nId); });
    }
    pTimer->start(nMilliseconds);
}

void CMatrixWnd::KillTimer(int nId) {
    auto it = mapTimers.find(nId);
    if (it != mapTimers.end()) {
        it->second->stop();
    }
}

void CMatrixWnd::OnTimer(int nId) {
    rain.OnTimer(nId);
    pRainPainter.reset();
    Compose();
}

void CMatrixWnd::CreateRainSurfaces(int nWidth, int nHeight) {
    pRainPainter.reset();
    imgRain = QImage(nWidth, nHeight, QImage::Format_RGB32);
    imgRain.fill(Qt::black);
    // The wipe picture is never drawn into: a new picture is black.
    imgZoom = QImage(nWidth, nHeight, QImage::Format_RGB32);
    imgZoom.fill(Qt::black);
}

QPainter& CMatrixWnd::RainPainter() {
    if (!pRainPainter) {
        pRainPainter = std::make_unique<QPainter>(&imgRain);
        pRainPainter->setFont(fontRain);
        pRainPainter->setBackgroundMode(Qt::TransparentMode);
    }
    return *pRainPainter;
}

void CMatrixWnd::DrawRainChar(int nX, int nY, char ch, RainColor cr) {
    if (imgRain.isNull()) {
        return;
    }
    QPainter& painter = RainPainter();
    painter.setPen(QColor(cr.byRed, cr.byGreen, cr.byBlue));
    painter.drawText(nX, nY + painter.fontMetrics().ascent(), FromNarrow(std::string_view(&ch, 1)));
}

void CMatrixWnd::StretchZoom(int nX, int nY, int nWidth, int nHeight) {
    if (imgRain.isNull() || nWidth <= 0 || nHeight <= 0) {
        return;
    }
    RainPainter().drawImage(QRect(nX, nY, nWidth, nHeight), imgZoom);
}

void CMatrixWnd::DrawOpaqueText(QPainter& painter, const QRect& rc, int nFlags,
                                const std::string& str) {
    if (str.empty()) {
        return;
    }
    // Text on the composed image has a black box behind it.
    const QString strText = FromNarrow(str);
    painter.fillRect(painter.boundingRect(rc, nFlags, strText), Qt::black);
    painter.drawText(rc, nFlags, strText);
}

void CMatrixWnd::Compose() {
    const int nWidth = rain.Width();
    const int nHeight = rain.Height();
    if (imgComp.isNull()) {
        if (nWidth <= 0 || nHeight <= 0) {
            return;
        }
        imgComp = QImage(nWidth, nHeight, QImage::Format_RGB32);
        imgComp.fill(Qt::black);
    }
    QPainter painter(&imgComp);
    if (!imgRain.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, imgRain);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.setFont(fontDisplay);
    painter.setPen(QColor(0, 255, 0));

    const MatrixFrame frame = rain.Frame();
    const QRect rcClient(0, 0, nWidth, nHeight);
    DrawOpaqueText(painter, rcClient, Qt::AlignCenter | Qt::TextSingleLine, frame.strCenter);
    if (frame.bHideBand) {
        painter.fillRect(
            QRect(0, frame.nBandTop, frame.nBandRight, frame.nBandBottom - frame.nBandTop),
            Qt::black);
    }
    DrawOpaqueText(painter, rcClient.translated(0, frame.nRunY),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, frame.strRunV);
    DrawOpaqueText(painter, rcClient.translated(frame.nRunX, 0),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, frame.strRunH);
    painter.end();
    update();
}

void CMatrixWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), imgComp);
    drawFrame(&painter);
}
