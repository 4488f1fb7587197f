#include "about/qt/AboutDlg.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "about/AboutTexts.h"
#include "about/qt/AboutAccessible.h"
#include "about/qt/MatrixWnd.h"
#include "about/qt/StaticText.h"
#include "app/ControlIds.h"
#include "base/qt/Cp1252.h"
#include "base/qt/DialogUnits.h"
#include "base/qt/IconRes.h"

namespace {

constexpr int kIdFrame = 1032;  // hidden black frame: where the animation goes
constexpr int kIconSize = 32;

}  // namespace

CAboutDlg::CAboutDlg(CRand& rand, QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QStringLiteral("About Glowdesk"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    InstallAboutAccessibility();

    QFont fontDialog = font();
    fontDialog.setStyleHint(QFont::SansSerif);
    fontDialog.setPointSize(8);
    setFont(fontDialog);
    const DialogUnits du(fontDialog);
    setFixedSize(du.X(217), du.Y(201));

    auto* pIcon = new QLabel(this);
    pIcon->setGeometry(du.Rect(10, 130, 20, 20));
    pIcon->setPixmap(IconPixmap(IDI_RUN_SMILE, kIconSize, devicePixelRatioF()));
    pIcon->setAccessibleName(QStringLiteral("Glowdesk"));
    pIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* pVersion = new CStaticText(FromCp1252(kAboutVersionText), this);
    pVersion->setGeometry(du.Rect(40, 120, 119, 60));

    auto* pFooter = new QLabel(FromCp1252(kAboutFooterText), this);
    pFooter->setTextFormat(Qt::PlainText);
    pFooter->setGeometry(du.Rect(30, 185, 135, 8));

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setGeometry(du.Rect(177, 120, 32, 14));
    pOk->setDefault(true);
    pOk->setAutoDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* pFrame = new QFrame(this);
    pFrame->setObjectName(QString::number(kIdFrame));
    pFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    pFrame->setGeometry(du.Rect(5, 5, 205, 110));
    pFrame->hide();

    pMatrixWnd = new CMatrixWnd(rand, this);
    pMatrixWnd->setAccessibleName(QStringLiteral("animation"));
    pMatrixWnd->SetText(kAboutLines);
    pMatrixWnd->Create(pFrame->geometry());
    pOk->setFocus();
}

void RunAboutDialog(QWidget* pParent, CRand& rand) {
    CAboutDlg dlg(rand, pParent);
    dlg.exec();
}
