// The about box (dialog 100), run modally from the main window: version and switches,
// the icon, OK, and the text-rain animation above them.
#pragma once

#include <QDialog>

class CMatrixWnd;
class QWidget;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    CMatrixWnd* MatrixWnd() const { return pMatrixWnd; }

private:
    CMatrixWnd* pMatrixWnd = nullptr;
};

// Opens the about box and returns when it is closed; its animation ends with it.
void RunAboutDialog(QWidget* pParent);
