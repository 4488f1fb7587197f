// A static text control as dialogs show it: left aligned, wrapped at words, tabs
// expanded to stops every eight average character widths, no mnemonic prefixes.
#pragma once

#include <QString>
#include <QWidget>

class CStaticText : public QWidget {
    Q_OBJECT
public:
    CStaticText(const QString& strText, QWidget* pParent);
    const QString& Text() const { return strText; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    QString strText;
};
