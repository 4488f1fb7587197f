// What the trace log and the counters show: bursts applied a frame at a time and in
// the logic's order, and file paths spelt as the file system spells them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/qt/PathSpellings.h"
#include "tests/qt/WindowHarness.h"

namespace {

struct Shown {
    explicit Shown(GlowdeskWindow& window)
        : pLog(qobject_cast<QPlainTextEdit*>(window.Control(IDC_TRACE))),
          pTx(qobject_cast<QLineEdit*>(window.Control(IDC_TXCOUNT))) {
        QObject::connect(pLog->document(), &QTextDocument::contentsChange,
                         [this](int, int, int) { ++nChanges; });
    }
    QString Log() const { return pLog->toPlainText(); }
    QString Tx() const { return pTx->text(); }
    QPlainTextEdit* pLog;
    QLineEdit* pTx;
    int nChanges = 0;
};

}  // namespace

TEST(TraceDisplay, ABurstIsShownAtOnceAndExactly) {
    WindowHarness h;
    Shown shown(h.window);
    h.session.Trace().SetTrace("wr all programs: ");
    h.window.FlushDisplay();
    shown.nChanges = 0;
    std::string strExpected = "wr all programs: ";
    for (int n = 1; n <= 50; ++n) {
        h.session.Trace().AppendTrace("\r\n<< OUT: (" + std::to_string(n) + ")");
        h.session.Link().AddTxCount(1);
        strExpected += "\r\n<< OUT: (" + std::to_string(n) + ")";
    }
    // The logic reads back what it wrote, shown or not.
    EXPECT_EQ(h.window.GetText(IDC_TRACE), strExpected);
    EXPECT_EQ(h.window.GetText(IDC_TXCOUNT), "Tx: 50");
    EXPECT_EQ(shown.nChanges, 0);
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 0"));

    // The next frame shows all of the log in one change, the counter follows within
    // its period.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.nChanges > 0; }, 2000));
    EXPECT_EQ(shown.nChanges, 1);
    EXPECT_EQ(shown.Log(), QString::fromLatin1(strExpected).remove(QLatin1Char('\r')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.Tx() == QStringLiteral("Tx: 50"); }, 2000));
    EXPECT_EQ(shown.nChanges, 1);
    EXPECT_EQ(shown.pLog->verticalScrollBar()->value(), shown.pLog->verticalScrollBar()->maximum());
}

TEST(TraceDisplay, AnyOtherChangeShowsWhatCameBefore) {
    WindowHarness h;
    Shown shown(h.window);
    h.window.SetText(IDC_START, "stop");
    h.session.Trace().SetTrace("rd version: ");
    h.session.Link().AddTxCount(1);
    // The start button set again to what it reads changes nothing on the screen.
    h.window.SetText(IDC_START, "stop");
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 0"));
    h.session.Trace().AppendTrace(" --> VHH 1.01");
    // The end of the operation gives the button back: the log and counter come first.
    h.window.SetText(IDC_START, "start");
    EXPECT_EQ(shown.Log(), QStringLiteral("rd version:  --> VHH 1.01"));
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 1"));

    // Likewise a lamp: the screen never shows the new LED beside an older log. The
    // counters keep their own pace, or a fast playback would lay them out every step.
    h.session.Trace().AppendTrace("\r\nnext");
    h.session.Link().AddTxCount(1);
    h.session.ShowLeds(0x01, false);
    EXPECT_EQ(shown.Log(), QStringLiteral("rd version:  --> VHH 1.01\nnext"));
    EXPECT_TRUE(h.window.IsShown(kLedStatics[0].nOn));
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 1"));
    EXPECT_EQ(h.window.GetText(IDC_TXCOUNT), "Tx: 2");
    h.window.SetText(IDC_START, "stop");
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 2"));

    // clr shows the top of an empty log.
    h.dlg.OnClr();
    h.window.FlushDisplay();
    EXPECT_EQ(shown.Log(), QString());
    EXPECT_EQ(shown.Tx(), QStringLiteral("Tx: 0"));
}

TEST(TraceDisplay, PathsReadAsTheFileSystemSpellsThem) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "file names on Windows are in the ANSI code page, as the trace is";
#endif
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("glowdesk-\xC3\xA4-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const std::string strPath = (dir / "pr\xC3\xB6g.ini").string();
    // A program name in Windows-1252 whose bytes happen to look like UTF-8.
    std::ofstream(strPath, std::ios::binary)
        << "[PROG_1]\r\nName=\xC3\xA4x\r\nSteps=1\r\nStep_1=00000001\r\n";

    WindowHarness h;
    h.session.LoadProgFile(strPath);
    h.window.FlushDisplay();
    const QString strShownPath = QFile::decodeName(QByteArray::fromStdString(strPath));
    ASSERT_TRUE(strShownPath.contains(QStringLiteral("pr\u00F6g.ini")));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(h.window.Control(IDC_TRACE))->toPlainText(),
              QStringLiteral(" 1 programs loaded from ") + strShownPath);
    EXPECT_EQ(qobject_cast<QLineEdit*>(h.window.Control(IDC_FILENAME))->text(), strShownPath);
    EXPECT_EQ(h.Ctl<QComboBox>(IDC_PROGRAM)->itemText(0),
              QStringLiteral("Prog 1: \"\u00C3\u00A4x\", 1 step, MixAllowed=0"));
    // The bytes go back to the logic unchanged: reload finds the same file.
    EXPECT_EQ(h.window.GetText(IDC_FILENAME), strPath);
    EXPECT_EQ(h.window.GetText(IDC_TRACE), " 1 programs loaded from " + strPath);
    std::filesystem::remove_all(dir);
}

TEST(PathSpellings, DecodesOnlyRememberedPaths) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "file names on Windows are in the ANSI code page, as the trace is";
#endif
    CPathSpellings paths;
    const std::string strText = "from /a/\xC3\xA4/b.ini and \xC3\xA4";
    EXPECT_EQ(paths.Decode(strText), QStringLiteral("from /a/\u00C3\u00A4/b.ini and \u00C3\u00A4"));
    paths.Remember("/a/\xC3\xA4");
    paths.Remember("/a/\xC3\xA4/b.ini");  // the longer of two that start at one place wins
    EXPECT_EQ(paths.Decode(strText), QStringLiteral("from /a/\u00E4/b.ini and \u00C3\u00A4"));
    EXPECT_EQ(paths.Decode("\x80"), QStringLiteral("\u20AC"));

    // One path the start of another that goes on with more non-ASCII letters: each shows
    // as itself, in whichever order they were remembered.
    const std::string strShort = "/d/\xC3\xA4", strLong = "/d/\xC3\xA4\xC3\xB6.ini";
    for (const bool bShortFirst : {true, false}) {
        CPathSpellings both;
        both.Remember(bShortFirst ? strShort : strLong);
        both.Remember(bShortFirst ? strLong : strShort);
        EXPECT_EQ(both.Decode(" " + strLong + "\r\n " + strShort + " "),
                  QStringLiteral(" /d/\u00E4\u00F6.ini\r\n /d/\u00E4 "))
            << bShortFirst;
    }
}
