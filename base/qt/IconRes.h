// The icon resources (128, 129, ...) as pictures from the Qt resource system.
#pragma once

#include <QIcon>
#include <QPixmap>

QString IconPath(int nIconRes);
QIcon IconByRes(int nIconRes);
// The picture at nSize by nSize logical pixels; null for an unknown resource.
QPixmap IconPixmap(int nIconRes, int nSize, qreal dDevicePixelRatio = 1.0);
