// Dialog units to pixels by the Windows rule: x * baseX / 4, y * baseY / 8, with baseX
// the average character width and baseY the height of the dialog font.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        QFontMetrics fm(font);
        // The average width as Windows measures it: the 52 letters of the alphabet.
        const QString strAlphabet =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        nBaseX = (fm.horizontalAdvance(strAlphabet) / 26 + 1) / 2;
        nBaseY = fm.height();
    }
    int X(int nDlu) const { return nDlu * nBaseX / 4; }
    int Y(int nDlu) const { return nDlu * nBaseY / 8; }
    QRect Rect(int nX, int nY, int nW, int nH) const { return QRect(X(nX), Y(nY), X(nW), Y(nH)); }

private:
    int nBaseX = 6;
    int nBaseY = 13;
};
