// Starts the real window as the program does (real time, the system's ports, the
// emulated Handheld) and drives it as a user would: connect, "rd all programs", the
// about box (F1) with its moving rain, the editor (F2), then closes it. Exits 0 when
// every step saw what it expected; otherwise prints the step and exits 1.
//
//   test_qt_start EXAMPLES_DIR [SHOT_DIR]
//
// Runs on the platform Qt chooses or is given (offscreen in the test suite, the
// Windows platform under Wine), so the start is checked where the window is shipped.
// With SHOT_DIR, each step leaves a picture of the window there.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/ControlIds.h"
#include "app/qt/GlowdeskApp.h"
#include "app/qt/GlowdeskWindow.h"

namespace {

enum class Step { Done, Wait, Fail };

struct StartCheck {
    GlowdeskWindow* pWindow = nullptr;
    QString strShotDir;
    std::vector<std::pair<const char*, std::function<Step()>>> aSteps;
    size_t nStep = 0;
    QElapsedTimer stepTime;
    QImage firstRain;
    int nStatus = 1;

    QComboBox* Combo(int nId) const { return qobject_cast<QComboBox*>(pWindow->Control(nId)); }
    QPushButton* Button(int nId) const { return qobject_cast<QPushButton*>(pWindow->Control(nId)); }
    void Shot(QWidget* pWidget, const char* pName) const {
        if (!strShotDir.isEmpty())
            pWidget->grab().save(strShotDir + QLatin1Char('/') + QLatin1String(pName) +
                                 QLatin1String(".png"));
    }
    void Key(QWidget* pTarget, int nKey) const {
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &press);
    }
    // A modal dialog runs its own loop, so the key that opens one is sent from a
    // timer: this check's ticks go on inside that loop.
    void KeyLater(int nKey) const {
        QTimer::singleShot(0, pWindow, [this, nKey] { Key(pWindow, nKey); });
    }

    void Tick() {
        if (nStep >= aSteps.size())
            return;
        const auto& [pName, step] = aSteps[nStep];
        const Step result = step();
        if (result == Step::Wait && stepTime.elapsed() < 30000)
            return;
        if (result != Step::Done) {
            std::fprintf(stderr, "window start check: step \"%s\" %s\n", pName,
                         result == Step::Fail ? "failed" : "timed out");
            Finish(1);
            return;
        }
        std::printf("window start check: %s\n", pName);
        std::fflush(stdout);
        ++nStep;
        stepTime.restart();
        if (nStep == aSteps.size())
            Finish(0);
    }
    void Finish(int nResult) {
        nStatus = nResult;
        nStep = aSteps.size();
        if (QWidget* pModal = QApplication::activeModalWidget(); pModal && pModal != pWindow)
            pModal->close();
        QTimer::singleShot(0, pWindow, [this] { pWindow->done(0); });
    }
};

QDialog* OpenDialog(const GlowdeskWindow* pWindow) {
    auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!pDialog || pDialog == pWindow)
        return nullptr;
    return pDialog->isVisible() ? pDialog : nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: test_qt_start EXAMPLES_DIR [SHOT_DIR]\n");
        return 2;
    }
    const std::string strDemo = std::string(argv[1]) + "/demo.ini";
    // The arguments the program is started with; the file name is used as given.
    std::string strFile = strDemo;
    if (strFile.find(':') == std::string::npos && strFile.front() != '/' && strFile.front() != '.')
        strFile = "./" + strFile;
    std::vector<std::string> aArgs = {argv[0], "-p", "1", "-e", "1", "-f", strFile};
    std::vector<char*> aArgv;
    for (auto& str : aArgs)
        aArgv.push_back(str.data());
    aArgv.push_back(nullptr);

    StartCheck check;
    check.strShotDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    auto& s = check.aSteps;
    s.emplace_back("title", [&] {
        return check.pWindow->windowTitle().startsWith(QLatin1String("Glowdesk Programmer"))
                   ? Step::Done
                   : Step::Wait;
    });
    s.emplace_back("demo.ini in the program box", [&] {
        QComboBox* pProgram = check.Combo(IDC_PROGRAM);
        if (!pProgram || pProgram->count() < 9)
            return Step::Wait;
        check.Shot(check.pWindow, "1-started");
        // The example file names its programs; an empty slot reads "".
        return pProgram->itemText(0).contains(QLatin1String("\"\"")) ? Step::Fail : Step::Done;
    });
    s.emplace_back("connect", [&] {
        QPushButton* pConnect = check.Button(IDC_CONNECT);
        if (!pConnect)
            return Step::Fail;
        if (pConnect->text() == QLatin1String("connect")) {
            pConnect->click();
            return Step::Wait;
        }
        // In programming mode the connect goes on with the switch to configuration
        // mode; the window is ready when that has ended.
        auto* pTrace = qobject_cast<QPlainTextEdit*>(check.pWindow->Control(IDC_TRACE));
        if (!pTrace || !pTrace->toPlainText().contains(QLatin1String("jmp to CFG mode")))
            return Step::Wait;
        return check.Button(IDC_START)->text() == QLatin1String("start") ? Step::Done : Step::Wait;
    });
    bool bStarted = false;
    s.emplace_back("rd all programs", [&] {
        QComboBox* pCommand = check.Combo(IDC_COMMAND);
        QPushButton* pStart = check.Button(IDC_START);
        if (!pCommand || !pStart)
            return Step::Fail;
        if (!bStarted) {
            const int nRow = pCommand->findText(QStringLiteral("rd all programs"));
            if (nRow < 0)
                return Step::Fail;
            pCommand->setCurrentIndex(nRow);
            pStart->click();
            bStarted = true;
            return Step::Wait;
        }
        if (pStart->text() != QLatin1String("start"))
            return Step::Wait;
        // The emulated Handheld's programs have no names, unlike the file's: every row
        // shows what was read.
        QComboBox* pProgram = check.Combo(IDC_PROGRAM);
        for (int i = 0; i < 9; ++i) {
            const QString strWanted = QStringLiteral("Prog %1: \"\", ").arg(i + 1);
            if (!pProgram->itemText(i).startsWith(strWanted)) {
                std::fprintf(stderr, "row %d: %s\n", i, qPrintable(pProgram->itemText(i)));
                return Step::Fail;
            }
        }
        check.Shot(check.pWindow, "2-read");
        return Step::Done;
    });
    s.emplace_back("F1 opens the about box", [&] {
        QDialog* pAbout = OpenDialog(check.pWindow);
        if (!pAbout) {
            if (!check.firstRain.isNull())
                return Step::Fail;                                 // it closed by itself
            check.firstRain = QImage(1, 1, QImage::Format_RGB32);  // asked once
            check.KeyLater(Qt::Key_F1);
            return Step::Wait;
        }
        check.firstRain = pAbout->grab().toImage();
        return Step::Done;
    });
    s.emplace_back("the rain moves", [&] {
        QDialog* pAbout = OpenDialog(check.pWindow);
        if (!pAbout)
            return Step::Fail;
        if (check.stepTime.elapsed() < 500 || pAbout->grab().toImage() == check.firstRain)
            return Step::Wait;
        check.Shot(pAbout, "3-about");
        pAbout->reject();
        return Step::Done;
    });
    bool bEditorAsked = false;
    s.emplace_back("F2 opens the editor", [&] {
        if (OpenDialog(check.pWindow) && !bEditorAsked)
            return Step::Wait;  // the about box is still closing
        if (!bEditorAsked) {
            bEditorAsked = true;
            check.KeyLater(Qt::Key_F2);
            return Step::Wait;
        }
        QWidget* pEditor = nullptr;
        for (QWidget* pTop : QApplication::topLevelWidgets()) {
            if (pTop != check.pWindow && pTop->isVisible() && qobject_cast<QDialog*>(pTop))
                pEditor = pTop;
        }
        if (!pEditor)
            return Step::Wait;
        check.Shot(pEditor, "4-editor");
        pEditor->close();
        return Step::Done;
    });

    RunGlowdeskApp(static_cast<int>(aArgs.size()), aArgv.data(), [&](GlowdeskWindow& window) {
        check.pWindow = &window;
        check.stepTime.start();
        auto* pTimer = new QTimer(&window);
        QObject::connect(pTimer, &QTimer::timeout, &window, [&] { check.Tick(); });
        pTimer->start(50);
    });
    return check.nStatus;
}
