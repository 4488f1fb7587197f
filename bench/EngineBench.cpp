// Whole-store transfers and single exchanges against the Handheld simulator on a
// pseudo-terminal, through the real serial layer and the command engine, run in a
// real-time event loop two ways: timer 2 alone (every 8 ms while an operation runs),
// and timer 2 with the port's descriptor watched for input. Prints figures; asserts
// nothing.
//
//   EngineBench            nine programs of 896 steps (about a minute)
//   EngineBench quick      nine programs of 112 steps (about ten seconds)
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/BareClient.h"
#include "bench/BenchRig.h"

namespace {

constexpr unsigned kBaud = 57600;
constexpr Receive kModes[] = {Receive::TimerOnly, Receive::Notifier};

struct Figures {
    bool bEnded = false;
    int nExchanges = 0;
    int nRx = 0;
    long nBytes = 0;
    double dWall = 0;
    double dEngineCpu = 0;
    double dProcessCpu = 0;
    long nTicks = 0;
    long nWakes = 0;
    long nClearCommError = 0;
    long nReadFile = 0;
    std::string strTrace;
    std::vector<std::string> aRequests;

    double PerExchange(double d) const { return nExchanges ? d / nExchanges : 0; }
};

Figures Measure(BenchRig& rig, int32_t nCode, const char* pLabel) {
    Figures f;
    rig.ResetCounts();
    rig.TakeRequests();
    const int nTx = rig.session.TxCount();
    const int nRx = rig.session.RxCount();
    const Stopwatch sw;
    f.bEnded = rig.Run(nCode, pLabel);
    f.dWall = sw.Wall();
    f.dEngineCpu = sw.Thread();
    f.dProcessCpu = sw.Process();
    f.nExchanges = rig.session.TxCount() - nTx;
    f.nRx = rig.session.RxCount() - nRx;
    f.nBytes = rig.nRequestBytes + rig.nAnswerBytes;
    f.nTicks = rig.nTicks;
    f.nWakes = rig.nReadableWakes;
    f.nClearCommError = rig.api.nClearCommError;
    f.nReadFile = rig.api.nReadFile;
    f.strTrace = rig.session.GetTrace();
    f.aRequests = rig.TakeRequests();
    if (!f.bEnded)
        std::printf("!!! %s did not end\n", pLabel);
    return f;
}

struct Transfers {
    Figures wr, rd;
};

// "wr all programs", then "rd all programs" of what was written, on one connection.
Transfers RunTransfers(unsigned nBaud, Receive mode, int nSteps) {
    BenchRig rig(nBaud, mode);
    FillStore(rig.session.Store(), nSteps);
    Transfers t;
    t.wr = Measure(rig, WR_ALL_PROGS, "wr all programs");
    rig.session.Store().ClearPrograms();
    t.rd = Measure(rig, RD_ALL_PROGS, "rd all programs");
    return t;
}

bool Same(const Figures& a, const Figures& b) {
    return a.bEnded && b.bEnded && a.strTrace == b.strTrace && a.nExchanges == b.nExchanges &&
           a.nRx == b.nRx && a.nBytes == b.nBytes;
}

void PrintPaced(const char* pLabel, const Figures& timer, const Figures& notify) {
    const double dWire = WireSeconds(notify.nBytes, kBaud);
    const double dBare = BareLine(kBaud, notify.aRequests);
    std::printf("%-16s %5d %6ld %8.3f s %8.3f s %5.2fx %8.3f s %5.2fx %8.3f s %5.2fx\n", pLabel,
                notify.nExchanges, notify.nBytes, dWire, timer.dWall, timer.dWall / dWire,
                notify.dWall, notify.dWall / dWire, dBare, dBare / dWire);
}

void PrintUnpaced(const char* pLabel, const Figures& timer, const Figures& notify) {
    std::printf("%-16s %5d %9.0f us %7.1f us %6.3f s %9.1f us %7.1f us %6.3f s %6.3f s\n", pLabel,
                notify.nExchanges, timer.PerExchange(timer.dWall) * 1e6,
                timer.PerExchange(timer.dEngineCpu) * 1e6, timer.dEngineCpu,
                notify.PerExchange(notify.dWall) * 1e6, notify.PerExchange(notify.dEngineCpu) * 1e6,
                notify.dEngineCpu, notify.dProcessCpu);
}

void PrintWork(const char* pWhat, const char* pLabel, const Figures& f) {
    std::printf(
        "%-8s %-16s %s  per exchange: %5.1f ticks, %5.1f readable wake-ups, "
        "%5.1f ClearCommError, %5.1f ReadFile\n",
        pWhat, pLabel, f.bEnded ? "" : "(did not end)", f.PerExchange(f.nTicks),
        f.PerExchange(f.nWakes), f.PerExchange(f.nClearCommError), f.PerExchange(f.nReadFile));
}

// A connected, idle dialog watched for a stretch: what a quiet line costs.
void IdleCost(std::chrono::milliseconds duration) {
    BenchRig rig(0, Receive::Notifier);
    rig.ResetCounts();
    const Stopwatch sw;
    rig.RunFor(duration);
    std::printf(
        "Idle and connected, %.1f s watched: %ld ticks of timer 2, %ld readable wake-ups, "
        "engine cpu %.1f us\n",
        duration.count() / 1000.0, rig.nTicks, rig.nReadableWakes, sw.Thread() * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const int nSteps = bQuick ? 112 : kMaxFileSteps;
    std::printf(
        "Whole store: nine programs of %d steps, simulator over a pseudo-terminal, reaction "
        "time 0 (load average %.2f)\n\n",
        nSteps, LoadAverage());

    Transfers paced[2], unpaced[2];
    for (int m = 0; m < 2; ++m) {
        paced[m] = RunTransfers(kBaud, kModes[m], nSteps);
        unpaced[m] = RunTransfers(0, kModes[m], nSteps);
    }

    std::printf("Paced at %u baud        exch  bytes  wire time   %-19s %-19s %s\n", kBaud,
                ReceiveName(Receive::TimerOnly), ReceiveName(Receive::Notifier),
                "bare client (no engine)");
    PrintPaced("wr all programs", paced[0].wr, paced[1].wr);
    PrintPaced("rd all programs", paced[0].rd, paced[1].rd);

    std::printf("\nUnpaced                 exch  %-33s %-33s\n", ReceiveName(Receive::TimerOnly),
                ReceiveName(Receive::Notifier));
    std::printf(
        "                              per exch   cpu/exch  cpu tot    per exch   cpu/exch  cpu "
        "tot  process cpu\n");
    PrintUnpaced("wr all programs", unpaced[0].wr, unpaced[1].wr);
    PrintUnpaced("rd all programs", unpaced[0].rd, unpaced[1].rd);

    std::printf("\nWork of the receive path\n");
    PrintWork("paced", "wr all programs", paced[1].wr);
    PrintWork("paced", "rd all programs", paced[1].rd);
    PrintWork("unpaced", "wr all programs", unpaced[1].wr);
    PrintWork("unpaced", "rd all programs", unpaced[1].rd);
    PrintWork("poll", "rd all programs", unpaced[0].rd);

    const bool bSame = Same(paced[0].wr, paced[1].wr) && Same(paced[0].rd, paced[1].rd) &&
                       Same(unpaced[0].wr, unpaced[1].wr) && Same(unpaced[0].rd, unpaced[1].rd) &&
                       Same(paced[1].wr, unpaced[1].wr) && Same(paced[1].rd, unpaced[1].rd);
    std::printf("\nTrace text, exchanges, Rx count and bytes equal in every run: %s\n",
                bSame ? "yes" : "NO");
    IdleCost(std::chrono::milliseconds(bQuick ? 500 : 2000));
    return 0;
}
