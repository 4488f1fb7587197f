// The real window over the real serial layer, offscreen and with accessibility on,
// against the Handheld simulator on a pseudo-terminal paced at 57600 baud: what the
// window adds to each exchange of a whole-store transfer (compared with a bare client
// on the same line), and the CPU share of playback at the fastest step and of idling.
// Prints figures; asserts nothing.
//
//   WindowBench            nine programs of 896 steps
//   WindowBench quick      nine programs of 112 steps
//   WindowBench playback   only playback at 32 ms, for 10 s (to profile it alone)
//
// QT_QPA_PLATFORM chooses the platform (offscreen unless set); under a session bus with
// the accessibility service running (xcb), the figures include the bus traffic.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/GlowdeskDlg.h"
#include "app/Session.h"
#include "app/qt/GlowdeskWindow.h"
#include "bench/BareClient.h"
#include "bench/BenchRig.h"

namespace {

constexpr unsigned kBaud = 57600;
constexpr unsigned kCom = 2;

// The window, its presenter and the session as the program runs them, connected to
// the simulator.
struct WindowRig {
    WindowRig()
        : sim(noWait, debug),
          posix(ComPortTable(false)),
          session(SessionServices{&posix, &noWait, &clock, &debug}),
          dlg(window, session) {
        if (!sim.Open()) {
            std::fprintf(stderr, "simulator: %s\n", sim.Error().c_str());
            std::exit(1);
        }
        sim.SetBaud(kBaud);
        sim.SetFrameLog([this](const std::string& s, bool bAnswer) {
            if (!bAnswer) {
                std::lock_guard<std::mutex> lock(mtxRequests);
                aRequests.push_back(s);
            }
        });
        setenv(("GLOWDESK_COM" + std::to_string(kCom)).c_str(), sim.DevicePath().c_str(), 1);
        window.Attach(&dlg);
        dlg.OnInitDialog("-p 1", "/nonexistent-dir");
        window.show();
        sim.Start();
        dlg.OnConnect();
        RunUntilIdle();
    }
    ~WindowRig() {
        window.close();
        window.Attach(nullptr);
        sim.Close();
    }
    // The window's own event loop until the operation has ended and the screen shows it.
    bool RunUntilIdle() {
        QElapsedTimer timer;
        timer.start();
        while (session.IsBusy() && timer.elapsed() < 300000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        return !session.IsBusy();
    }
    void RunFor(int nMs) {
        QEventLoop loop;
        QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    std::vector<std::string> TakeRequests() {
        std::lock_guard<std::mutex> lock(mtxRequests);
        return std::exchange(aRequests, {});
    }

    NoWait noWait;
    NullDebugSink debug;
    SystemClock clock;
    PtyHandheld sim;
    PosixComApi posix;
    CSession session;
    GlowdeskWindow window;
    CGlowdeskDlg dlg;
    std::mutex mtxRequests;
    std::vector<std::string> aRequests;
};

// The best of a few runs on either side: the machine is shared, and the best run is
// the one least disturbed by others.
constexpr int kRuns = 3;

struct GapFigures {
    double dMean = 0, dMedian = 0;
};
GapFigures Figures(std::vector<double> adGaps) {
    GapFigures f;
    if (adGaps.empty())
        return f;
    std::sort(adGaps.begin(), adGaps.end());
    for (double d : adGaps)
        f.dMean += d;
    f.dMean /= static_cast<double>(adGaps.size());
    f.dMedian = adGaps[adGaps.size() / 2];
    return f;
}

void Transfer(WindowRig& rig, int32_t nCode, const char* pLabel, int nSteps) {
    double dWall = 1e9, dCpu = 1e9, dBare = 1e9;
    int nExchanges = 0;
    // Time from each answer to the next request, as the simulator sees it, over all
    // runs: the window's own time per exchange, measured from outside.
    std::vector<double> adWindowGaps, adBareGaps;
    for (int nRun = 0; nRun < kRuns; ++nRun) {
        if (nCode == RD_ALL_PROGS)
            rig.session.Store().ClearPrograms();
        else
            FillStore(rig.session.Store(), nSteps);
        rig.TakeRequests();
        rig.sim.TakeReplyGaps();
        const int nTx = rig.session.TxCount();
        const Stopwatch sw;
        rig.dlg.DeviceCommand(nCode, 0, std::string(pLabel) + ": ");
        const bool bEnded = rig.RunUntilIdle();
        const double dRunWall = sw.Wall();
        const double dRunCpu = sw.Thread();
        nExchanges = rig.session.TxCount() - nTx;
        std::vector<double> adGaps = rig.sim.TakeReplyGaps();
        if (!adGaps.empty())  // the first request followed whatever ran before
            adWindowGaps.insert(adWindowGaps.end(), adGaps.begin() + 1, adGaps.end());
        const double dRunBare = BareLine(kBaud, rig.TakeRequests(), &adGaps);
        adBareGaps.insert(adBareGaps.end(), adGaps.begin(), adGaps.end());
        if (!bEnded || nExchanges == 0 || dRunBare <= 0) {
            std::printf("%-16s did not complete\n", pLabel);
            return;
        }
        dWall = std::min(dWall, dRunWall);
        dCpu = std::min(dCpu, dRunCpu);
        dBare = std::min(dBare, dRunBare);
    }
    std::printf("%-16s %6d %9.3f s %9.3f s %6.3fx %9.3f ms %9.3f ms\n", pLabel, nExchanges, dWall,
                dBare, dWall / dBare, (dWall - dBare) / nExchanges * 1e3, dCpu / nExchanges * 1e3);
    const GapFigures window = Figures(adWindowGaps);
    const GapFigures bare = Figures(adBareGaps);
    std::printf(
        "  answer to next request, all runs: window mean %.3f ms (median %.3f), bare "
        "client %.3f ms (%.3f): own %.3f ms per exchange (median %.3f)\n",
        window.dMean / 1e3, window.dMedian / 1e3, bare.dMean / 1e3, bare.dMedian / 1e3,
        (window.dMean - bare.dMean) / 1e3, (window.dMedian - bare.dMedian) / 1e3);
}

// CPU share of the window's thread and of the whole process over nMs of real time.
void CpuShare(WindowRig& rig, const char* pWhat, int nMs) {
    const Stopwatch sw;
    rig.RunFor(nMs);
    std::printf("%-34s window thread %5.2f %%, process %5.2f %% of a core\n", pWhat,
                sw.Thread() / sw.Wall() * 100, sw.Process() / sw.Wall() * 100);
}

}  // namespace

int main(int argc, char** argv) {
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    // Platforms without an accessibility bridge (offscreen) still build and send every
    // accessibility event once accessibility is active.
    // The bridge to the accessibility bus comes up once the bus has answered.
    QElapsedTimer wait;
    wait.start();
    while (!QAccessible::isActive() && wait.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const bool bBridge = QAccessible::isActive();
    if (!bBridge)
        QAccessible::setActive(true);

    const int nSteps = bQuick ? 112 : kMaxFileSteps;
    std::printf(
        "Window on %s, accessibility %s; nine programs of %d steps, simulator paced at %u baud "
        "(load average %.2f)\n\n",
        qPrintable(QGuiApplication::platformName()),
        bBridge ? "on through the platform's bridge" : "on (no bridge)", nSteps, kBaud,
        LoadAverage());

    WindowRig rig;
    if (argc > 1 && std::strcmp(argv[1], "playback") == 0) {
        FillStore(rig.session.Store(), nSteps);
        rig.window.SliderSetPos(IDC_SPEED, 32);
        rig.session.Player().StartPlayback(32, 0);
        CpuShare(rig, "playback at 32 ms, connected:", 10000);
        return 0;
    }
    std::printf("best of %d runs   exch   window     bare client  ratio    own/exch     cpu/exch\n",
                kRuns);
    Transfer(rig, WR_ALL_PROGS, "wr all programs", nSteps);
    Transfer(rig, RD_ALL_PROGS, "rd all programs", nSteps);

    const int nWatchMs = bQuick ? 2000 : 5000;
    std::printf("\n");
    rig.window.SliderSetPos(IDC_SPEED, 32);
    rig.session.Player().StartPlayback(32, 0);
    CpuShare(rig, "playback at 32 ms, connected:", nWatchMs);
    rig.session.Player().StopPlayback();
    CpuShare(rig, "idle, connected:", nWatchMs);
    rig.dlg.OnConnect();  // disconnect
    CpuShare(rig, "idle, not connected:", nWatchMs);
    std::printf("\nload average at the end %.2f\n", LoadAverage());
    return 0;
}
