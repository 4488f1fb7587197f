// Request-reply exchanges and whole-store transfers against the Handheld simulator on
// a pseudo-terminal, through the real serial layer and the command engine. Prints
// figures; asserts nothing.
//
//   EngineBench            all figures
//   EngineBench quick      fewer rounds, no paced store transfer
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/BenchRig.h"

namespace {

constexpr unsigned kBaud = 57600;
const char* kVersionRequest = ">1V\n";
const char* kVersionReply = ">8vHH 1.01\n";

void PrintExchange(const char* pWhat, int nCount, const Stopwatch& sw, double dWire) {
    std::printf("%-30s %6d  wall %8.1f us  engine cpu %6.1f us  process cpu %6.1f us", pWhat,
                nCount, sw.Wall() / nCount * 1e6, sw.Thread() / nCount * 1e6,
                sw.Process() / nCount * 1e6);
    if (dWire > 0)
        std::printf("  wire %7.1f us  beyond wire %7.1f us", dWire * 1e6,
                    (sw.Wall() / nCount - dWire) * 1e6);
    std::printf("\n");
}

void VersionExchanges(unsigned nBaud, int nCount) {
    BenchRig rig(nBaud, "");
    const Stopwatch sw;
    for (int i = 0; i < nCount; ++i) {
        if (!rig.Run(READ_VERSION, "read version")) {
            std::printf("read version did not end\n");
            return;
        }
    }
    const double dWire =
        nBaud ? WireSeconds(std::strlen(kVersionRequest) + std::strlen(kVersionReply), nBaud) : 0;
    PrintExchange(nBaud ? "read version, paced 57600" : "read version, unpaced", nCount, sw, dWire);
}

void FillStore(ProgramStore& store) {
    for (int i = 0; i < kProgCount; ++i) {
        LightProgram& p = store.aProgs[i];
        std::snprintf(p.Name, sizeof p.Name, "program %d", i + 1);
        p.Steps = kMaxFileSteps;
        p.MixAllowed = i % 2;
        for (int s = 0; s < p.Steps; ++s)
            p.Data[s] = static_cast<uint8_t>(s * 13 + i);
    }
    store.RandomLen = 200;
}

void StoreTransfer(unsigned nBaud, int32_t nCode, const char* pLabel) {
    BenchRig rig(nBaud);
    FillStore(rig.dlg.Store());
    if (nCode == RD_ALL_PROGS && !rig.Run(WR_ALL_PROGS, "wr all programs")) {
        std::printf("wr all programs did not end\n");
        return;
    }
    rig.ResetByteCounts();
    const int nTx = rig.dlg.TxCount();
    const Stopwatch sw;
    if (!rig.Run(nCode, pLabel)) {
        std::printf("%s did not end\n", pLabel);
        return;
    }
    const double dWall = sw.Wall();
    const int nExchanges = rig.dlg.TxCount() - nTx;
    const long nBytes = rig.nRequestBytes + rig.nAnswerBytes;
    const double dWire = WireSeconds(nBytes, kBaud);
    std::printf(
        "%-16s %-8s %5d exchanges %6ld bytes  wall %7.3f s  engine cpu %6.3f s  "
        "wire(57600) %6.3f s  per exchange %7.1f us",
        pLabel, nBaud ? "paced" : "unpaced", nExchanges, nBytes, dWall, sw.Thread(), dWire,
        dWall / nExchanges * 1e6);
    // Only a paced line makes the wire time a floor worth subtracting.
    if (nBaud)
        std::printf(", beyond wire %6.1f us", (dWall - dWire) / nExchanges * 1e6);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    std::printf("Exchanges over a pseudo-terminal, simulator reaction time 0\n");
    VersionExchanges(0, bQuick ? 200 : 2000);
    VersionExchanges(kBaud, bQuick ? 20 : 200);
    std::printf("\nWhole store: nine programs of %d steps\n", kMaxFileSteps);
    StoreTransfer(0, WR_ALL_PROGS, "wr all programs");
    StoreTransfer(0, RD_ALL_PROGS, "rd all programs");
    if (!bQuick) {
        StoreTransfer(kBaud, WR_ALL_PROGS, "wr all programs");
        StoreTransfer(kBaud, RD_ALL_PROGS, "rd all programs");
    }
    return 0;
}
