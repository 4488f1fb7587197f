#include "base/qt/IconRes.h"

#include <QFile>
#include <QPainter>
#ifdef GLOWDESK_PNG_ICONS
#include <QImage>
#else
#include <QSvgRenderer>
#endif

// The icons live in a static library, whose resources the linker would drop unless
// they are registered by hand.
static void RegisterIconResources() {
    static const bool bDone = [] {
        Q_INIT_RESOURCE(glowdesk);
        return true;
    }();
    (void)bDone;
}

QString IconPath(int nIconRes) {
    RegisterIconResources();
#ifdef GLOWDESK_PNG_ICONS
    return QStringLiteral(":/icons/%1.png").arg(nIconRes);
#else
    return QStringLiteral(":/icons/%1.svg").arg(nIconRes);
#endif
}

QIcon IconByRes(int nIconRes) {
    const QString strPath = IconPath(nIconRes);
    return QFile::exists(strPath) ? QIcon(strPath) : QIcon();
}

QPixmap IconPixmap(int nIconRes, int nSize, qreal dDevicePixelRatio) {
    const QString strPath = IconPath(nIconRes);
    if (nSize <= 0 || !QFile::exists(strPath))
        return QPixmap();
    const int nPixels = qRound(nSize * dDevicePixelRatio);
#ifdef GLOWDESK_PNG_ICONS
    // A picture rendered large at build time, scaled down here with smoothing.
    const QImage image(strPath);
    if (image.isNull())
        return QPixmap();
    QPixmap pixmap = QPixmap::fromImage(
        image.scaled(nPixels, nPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
#else
    // Rendered directly rather than through QIcon, which hides a missing SVG plugin
    // behind a non-null but empty icon.
    QSvgRenderer renderer(strPath);
    if (!renderer.isValid())
        return QPixmap();
    QPixmap pixmap(nPixels, nPixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
#endif
    pixmap.setDevicePixelRatio(dDevicePixelRatio);
    return pixmap;
}
