#include "about/qt/StaticText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

CStaticText::CStaticText(const QString& strTextIn, QWidget* pParent)
    : QWidget(pParent), strText(strTextIn) {
    // Read out whole by a screen reader.
    setAccessibleName(strText);
}

void CStaticText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WordWrap);
    option.setTabStopDistance(8.0 * QFontMetrics(font()).averageCharWidth());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(rect()), strText, option);
}
