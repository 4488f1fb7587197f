#include "base/qt/IconRes.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

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
    return QStringLiteral(":/icons/%1.svg").arg(nIconRes);
}

QIcon IconByRes(int nIconRes) {
    const QString strPath = IconPath(nIconRes);
    return QFile::exists(strPath) ? QIcon(strPath) : QIcon();
}

QPixmap IconPixmap(int nIconRes, int nSize, qreal dDevicePixelRatio) {
    // Rendered directly rather than through QIcon, which hides a missing SVG plugin
    // behind a non-null but empty icon.
    const QString strPath = IconPath(nIconRes);
    if (nSize <= 0 || !QFile::exists(strPath))
        return QPixmap();
    QSvgRenderer renderer(strPath);
    if (!renderer.isValid())
        return QPixmap();
    const int nPixels = qRound(nSize * dDevicePixelRatio);
    QPixmap pixmap(nPixels, nPixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(dDevicePixelRatio);
    return pixmap;
}
