// A long run against the Handheld simulator on a pseudo-terminal, through the real
// serial layer and the command engine in a real-time event loop: "wr all programs" and
// "rd all programs" of a full store in turn, on a rough line (every answer split in two,
// noise after each), with a disconnect and a new connect every few operations.
// Prints the figures and exits non-zero when a check fails:
//   - every operation ends, and ends well ("finished", no error, no time-out);
//   - each store read back equals the one written;
//   - resident memory grows by less than 1 MiB after the first operations;
//   - after each disconnect the process holds as many descriptors as at the start.
// First it times commands on a line stopped by XOFF: each must end inside its call.
//
//   SoakBench              200 operations, a new connect every 20
//   SoakBench quick        4 operations, a new connect every 2 (the CI run)
#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/BenchRig.h"

namespace {

// Under AddressSanitizer freed memory waits in a quarantine, so resident memory grows
// by design: it is printed but not judged there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Bytes that belong to no frame: no start marker, no flow-control byte.
const std::string kNoise = std::string("~#\r ", 4) + std::string(1, '\0');

void FillStore(ProgramStore& store) {
    for (int i = 0; i < kProgCount; ++i) {
        LightProgram& p = store.aProgs[i];
        std::snprintf(p.Name, sizeof p.Name, "soak %d", i + 1);
        p.Steps = kMaxFileSteps;
        p.MixAllowed = i % 2;
        for (int s = 0; s < p.Steps; ++s)
            p.Data[s] = static_cast<uint8_t>(s * 7 + i * 31);
    }
    store.RandomLen = 123;
}

bool SameStore(const ProgramStore& a, const ProgramStore& b) {
    if (a.RandomLen != b.RandomLen)
        return false;
    for (int i = 0; i < kProgCount; ++i) {
        const LightProgram& x = a.aProgs[i];
        const LightProgram& y = b.aProgs[i];
        if (x.MixAllowed != y.MixAllowed || x.Steps != y.Steps ||
            std::strcmp(x.Name, y.Name) != 0 || std::memcmp(x.Data, y.Data, x.Steps) != 0)
            return false;
    }
    return true;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine)) {
        if (strLine.rfind("VmRSS:", 0) == 0)
            return std::atol(strLine.c_str() + 6);
    }
    return -1;
}

int OpenDescriptors() {
    DIR* pDir = opendir("/proc/self/fd");
    if (pDir == nullptr)
        return -1;
    int n = 0;
    while (const dirent* pEntry = readdir(pDir)) {
        if (pEntry->d_name[0] != '.')
            ++n;
    }
    closedir(pDir);
    return n - 1;  // the listing's own descriptor
}

bool EndedWell(const std::string& strTrace) {
    return strTrace.ends_with("...finished") && strTrace.find("!!!") == std::string::npos &&
           strTrace.find("timeout") == std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const int nOps = bQuick ? 4 : 200;
    const int nReconnectEvery = bQuick ? 2 : 20;
    const int nWarmUp = bQuick ? 2 : 10;  // resident memory is measured from here on

    BenchRig rig(0, Receive::Notifier);
    rig.sim.SetRoughLine(true, kNoise);
    ProgramStore written;
    FillStore(written);

    // The starting count of descriptors is the disconnected one.
    rig.session.ClosePort();
    const int nFdStart = OpenDescriptors();
    bool bOk = rig.Connect() && rig.session.GetTrace().ends_with("jmp to CFG mode: --> ok");
    if (!bOk)
        std::printf("!!! first connect: %s\n", rig.session.GetTrace().c_str());

    // The window's wait in a write on a line stopped by XOFF: each command ends inside
    // the call, after the write bound.
    rig.sim.Send("\x13");
    rig.RunFor(std::chrono::milliseconds(50));
    double dStalledMax = 0;
    for (int n = 0; n < 5; ++n) {
        const Stopwatch swStalled;
        rig.session.StartOperation(READ_VERSION, 0, "read version: ");
        dStalledMax = std::max(dStalledMax, swStalled.Wall());
        if (rig.session.IsBusy() ||
            !rig.session.GetTrace().ends_with(" --> frame not taken by the port !!!")) {
            std::printf("!!! a command on a stopped line did not end: %s\n",
                        rig.session.GetTrace().c_str());
            bOk = false;
            rig.RunUntilIdle();
        }
    }
    rig.sim.Send("\x11");
    rig.RunFor(std::chrono::milliseconds(50));
    std::printf("soak: on a line stopped by XOFF a command returned after at most %.0f ms\n",
                dStalledMax * 1000);

    long nRssWarm = 0;
    long nRssMax = 0;
    int nFdWorst = nFdStart;
    int nReconnects = 0;
    long nExchanges = 0;
    const Stopwatch sw;
    for (int nOp = 1; nOp <= nOps; ++nOp) {
        const bool bWrite = nOp % 2 == 1;
        if (bWrite) {
            rig.session.Store() = written;
        } else {
            rig.session.Store().ClearPrograms();
            rig.session.Store().RandomLen = 0;
        }
        const int nTx = rig.session.TxCount();
        const bool bEnded = rig.Run(bWrite ? WR_ALL_PROGS : RD_ALL_PROGS,
                                    bWrite ? "wr all programs" : "rd all programs");
        nExchanges += rig.session.TxCount() - nTx;
        rig.TakeRequests();  // the rig's own log of requests is not the program's memory
        if (!bEnded || !EndedWell(rig.session.GetTrace())) {
            const std::string& strTrace = rig.session.GetTrace();
            std::printf("!!! operation %d did not end well: ...%s\n", nOp,
                        strTrace.substr(strTrace.size() > 300 ? strTrace.size() - 300 : 0).c_str());
            bOk = false;
        }
        if (!bWrite && !SameStore(rig.session.Store(), written)) {
            std::printf("!!! operation %d: the store read back differs\n", nOp);
            bOk = false;
        }
        const long nRss = ResidentKiB();
        if (nOp == nWarmUp)
            nRssWarm = nRss;
        if (nOp > nWarmUp && nRss > nRssMax)
            nRssMax = nRss;

        if (nOp % nReconnectEvery == 0) {
            rig.session.ClosePort();
            const int nFd = OpenDescriptors();
            if (nFd != nFdStart) {
                std::printf("!!! after disconnect %d: %d descriptors, %d at the start\n",
                            nReconnects + 1, nFd, nFdStart);
                bOk = false;
            }
            nFdWorst = std::max(nFdWorst, nFd);
            if (!rig.Connect() || !rig.session.GetTrace().ends_with("jmp to CFG mode: --> ok")) {
                std::printf("!!! reconnect %d failed: %s\n", nReconnects + 1,
                            rig.session.GetTrace().c_str());
                bOk = false;
            }
            ++nReconnects;
        }
    }
    const double dWall = sw.Wall();
    const long nGrowth = nRssMax > nRssWarm ? nRssMax - nRssWarm : 0;
    if (nGrowth >= 1024 && !kSanitized) {
        std::printf("!!! resident memory grew by %ld KiB after operation %d\n", nGrowth, nWarmUp);
        bOk = false;
    }

    std::printf("soak: %d operations (%ld exchanges) in %.1f s, %d reconnects\n", nOps, nExchanges,
                dWall, nReconnects);
    std::printf(
        "soak: resident memory %ld KiB after operation %d, at most %ld KiB later "
        "(growth %ld KiB)\n",
        nRssWarm, nWarmUp, nRssMax, nGrowth);
    std::printf(
        "soak: descriptors %d while disconnected at the start, at most %d after a "
        "disconnect\n",
        nFdStart, nFdWorst);
    std::printf("soak: %s\n", bOk ? "ok" : "FAILED");
    return bOk ? 0 : 1;
}
