// Device nodes exist only on POSIX systems.
#ifndef _WIN32
// The port box of the real window follows the machine: a port that appears after
// start-up shows when the list opens and can be connected; /dev changes are reported.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/GlowdeskDlg.h"
#include "app/Session.h"
#include "app/qt/GlowdeskWindow.h"
#include "app/qt/PortWatcher.h"
#include "serial/posix/PosixComApi.h"
#include "serial/posix/PtyHandheld.h"
#include "tests/support/TestDoubles.h"

namespace {

bool HasRow(QComboBox* pBox, const QString& strRow) {
    return pBox->findText(strRow) >= 0;
}

TEST(PortRefresh, AHandheldLinkedAfterStartUpShowsWhenTheListOpensAndConnects) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string strLink = dir.filePath(QStringLiteral("handheld")).toStdString();
    setenv("GLOWDESK_COM7", strLink.c_str(), 1);

    RecordingWaiter waiter;
    RecordingDebugSink debug;
    FixedClock clock;
    PosixComApi api{ComPortTable(false)};  // no machine node is looked at
    CSession session(SessionServices{&api, &waiter, &clock, &debug});
    GlowdeskWindow window;
    CGlowdeskDlg dlg(window, session);
    window.Attach(&dlg);
    dlg.OnInitDialog("", "/nonexistent-dir");
    window.show();
    auto* pBox = qobject_cast<QComboBox*>(window.Control(IDC_COMPORT));
    auto* pConnect = qobject_cast<QPushButton*>(window.Control(IDC_CONNECT));
    ASSERT_NE(pBox, nullptr);
    ASSERT_NE(pConnect, nullptr);
    EXPECT_FALSE(HasRow(pBox, QStringLiteral("COM7")));

    RecordingWaiter simWaiter;
    NullDebugSink simDebug;
    PtyHandheld sim(simWaiter, simDebug);
    ASSERT_TRUE(sim.Open()) << sim.Error();
    ASSERT_TRUE(sim.Start());
    ASSERT_EQ(symlink(sim.DevicePath().c_str(), strLink.c_str()), 0);

    pBox->showPopup();
    EXPECT_TRUE(HasRow(pBox, QStringLiteral("COM7")));
    EXPECT_EQ(pBox->itemData(pBox->findText(QStringLiteral("COM7")), Qt::ToolTipRole).toString(),
              QString::fromStdString(strLink));
    pBox->hidePopup();
    pBox->setCurrentIndex(pBox->findText(QStringLiteral("COM7")));

    pConnect->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !session.IsBusy(); }, 5000));
    EXPECT_EQ(session.GetTrace(),
              "Open Com Port:Com?, 57600 Baud, 8 Bit, 1 Stop, no Parity --> VHH 1.01");
    EXPECT_EQ(pConnect->text(), QStringLiteral("disconnect"));

    // While connected the list stays as it is, even when its port's link goes.
    unlink(strLink.c_str());
    pBox->showPopup();
    EXPECT_TRUE(HasRow(pBox, QStringLiteral("COM7")));
    pBox->hidePopup();

    pConnect->click();
    EXPECT_FALSE(HasRow(pBox, QStringLiteral("COM7")));
    window.done(0);
    window.Attach(nullptr);
    sim.Close();
    unsetenv("GLOWDESK_COM7");
}

TEST(PortRefresh, WatcherReportsNodesThatComeOrGo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PortWatcher watcher(dir.path(), true);
    EXPECT_TRUE(watcher.IsWatching());
    EXPECT_FALSE(watcher.IsPolling());
    QSignalSpy spy(&watcher, &PortWatcher::changed);

    // Several changes in a row come out as one report.
    for (const char* pszName : {"ttyUSB0", "ttyUSB1"}) {
        QFile file(dir.filePath(QLatin1String(pszName)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(spy.wait(5000));
    QTest::qWait(PortWatcher::kSettleMs * 2);
    EXPECT_EQ(spy.count(), 1);

    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("ttyUSB0"))));
    EXPECT_TRUE(spy.wait(5000));

    // A directory that cannot be watched: a slow timer instead, where asked for.
    PortWatcher polling(dir.filePath(QStringLiteral("missing")), true);
    EXPECT_FALSE(polling.IsWatching());
    EXPECT_TRUE(polling.IsPolling());
    PortWatcher silent(dir.filePath(QStringLiteral("missing")), false);
    EXPECT_FALSE(silent.IsPolling());
}

TEST(PortRefresh, TheWindowWatchesDev) {
    GlowdeskWindow window;
    ASSERT_NE(window.DeviceNodeWatcher(), nullptr);
    EXPECT_TRUE(window.DeviceNodeWatcher()->IsWatching() ||
                window.DeviceNodeWatcher()->IsPolling());
}

}  // namespace

#endif  // _WIN32
