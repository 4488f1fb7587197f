// The about box (dialog 100), run modally from the main window: version and switches,
// the icon, OK, and the text-rain animation above them.
#pragma once

#include <QDialog>

class CMatrixWnd;
class CRand;
class QWidget;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // rand: the program-wide generator the rain draws from.
    explicit CAboutDlg(CRand& rand, QWidget* pParent = nullptr);
    CMatrixWnd* MatrixWnd() const { return pMatrixWnd; }

private:
    CMatrixWnd* pMatrixWnd = nullptr;
};

// Opens the about box and returns when it is closed; its animation ends with it.
void RunAboutDialog(QWidget* pParent, CRand& rand);
