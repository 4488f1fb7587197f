// glowdesk-cli's restore and backup of a whole store against the Handheld simulator on a
// pseudo-terminal paced at 57600 baud: the program's time next to the wire time and to
// a bare client sending the same requests. Prints figures; asserts nothing.
//
//   CliBench            nine programs of 896 steps (about half a minute)
//   CliBench quick      nine programs of 112 steps
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "bench/BareClient.h"
#include "bench/BenchRig.h"
#include "cli/Commands.h"
#include "cli/DeviceLink.h"
#include "programs/FileReplace.h"
#include "serial/PlatformComApi.h"

namespace {

constexpr unsigned kBaud = 57600;
constexpr unsigned kCom = 9;

struct Run {
    int nStatus = -1;
    double dWall = 0;
    double dCpu = 0;
    long nBytes = 0;
    std::vector<std::string> aRequests;
};

// A program file of nine programs of nSteps steps, written by the core.
void WriteStoreFile(const std::string& strPath, int nSteps) {
    CDeviceLink link(LinkSetup{1, true, false, false, nullptr, {}});
    FillStore(link.Store(), nSteps);
    link.StoreFile(strPath);
}

struct PacedHandheld {
    PacedHandheld() : sim(noWait, debug) {
        if (!sim.Open()) {
            std::fprintf(stderr, "simulator: %s\n", sim.Error().c_str());
            std::exit(1);
        }
        sim.SetBaud(kBaud);
        sim.SetFrameLog([this](const std::string& s, bool bAnswer) {
            std::lock_guard<std::mutex> lock(mtx);
            nBytes += static_cast<long>(s.size());
            if (!bAnswer)
                aRequests.push_back(s);
        });
        setenv(("GLOWDESK_COM" + std::to_string(kCom)).c_str(), sim.DevicePath().c_str(), 1);
        sim.Start();
    }
    ~PacedHandheld() { sim.Close(); }

    Run Measure(const std::vector<std::string>& aArgs) {
        {
            std::lock_guard<std::mutex> lock(mtx);
            nBytes = 0;
            aRequests.clear();
        }
        std::ostringstream out, err;
        CliContext ctx{out, err, false, [] { return false; },
                       [] { return CreatePlatformComApi(); }};
        Run run;
        const Stopwatch sw;
        run.nStatus = RunCli(aArgs, ctx);
        run.dWall = sw.Wall();
        run.dCpu = sw.Thread();
        std::lock_guard<std::mutex> lock(mtx);
        run.nBytes = nBytes;
        run.aRequests = aRequests;
        if (run.nStatus != 0)
            std::printf("!!! exit status %d: %s", run.nStatus, err.str().c_str());
        return run;
    }

    NoWait noWait;
    NullDebugSink debug;
    PtyHandheld sim;
    std::mutex mtx;
    long nBytes = 0;
    std::vector<std::string> aRequests;
};

struct Figures {
    double dWire = 0, dCli = 0, dBare = 0;
};

Figures Print(const char* pLabel, const Run& run) {
    Figures f{WireSeconds(run.nBytes, kBaud), run.dWall, BareLine(kBaud, run.aRequests)};
    std::printf("%-8s %6zu %7ld %8.3f s %8.3f s %5.2fx %7.3f s %8.3f s %5.2fx   %5.3f\n", pLabel,
                run.aRequests.size(), run.nBytes, f.dWire, f.dCli, f.dCli / f.dWire, run.dCpu,
                f.dBare, f.dBare / f.dWire, f.dBare > 0 ? f.dCli / f.dBare : 0.0);
    return f;
}

// The transfer alone: the whole run less what a run without transfer (version) takes.
void PrintTransfer(const char* pLabel, const Figures& f, const Figures& fixed) {
    const double dCli = f.dCli - fixed.dCli;
    const double dBare = f.dBare - fixed.dBare;
    std::printf("%-8s transfer alone: %.3f s, bare client %.3f s, %.3fx\n", pLabel, dCli, dBare,
                dBare > 0 ? dCli / dBare : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const int nSteps = bQuick ? 112 : kMaxFileSteps;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("glowdesk-clibench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string strSet = (dir / "set.ini").string();
    const std::string strBack = (dir / "back.ini").string();
    WriteStoreFile(strSet, nSteps);

    double adLoad[3] = {};
    getloadavg(adLoad, 3);
    std::printf(
        "glowdesk-cli, nine programs of %d steps, simulator on a pseudo-terminal paced at %u baud, "
        "reaction time 0 (load average %.2f)\n"
        "Whole runs: connect, version, configuration mode, the transfer, normal mode, close.\n\n",
        nSteps, kBaud, adLoad[0]);

    PacedHandheld hh;
    const std::string strPort = "COM" + std::to_string(kCom);
    const Run version = hh.Measure({"-q", "-p", strPort, "version"});
    const Run restore = hh.Measure({"-q", "-p", strPort, "restore", strSet});
    const Run backup = hh.Measure({"-q", "-p", strPort, "backup", strBack});

    std::printf(
        "command   exch   bytes  wire time  glowdesk-cli   /wire  cpu       bare client  /wire   "
        "cli/bare\n");
    const Figures fixed = Print("version", version);
    const Figures fRestore = Print("restore", restore);
    const Figures fBackup = Print("backup", backup);
    std::printf("\n");
    PrintTransfer("restore", fRestore, fixed);
    PrintTransfer("backup", fBackup, fixed);

    std::string strA, strB;
    const bool bSame = ReadWholeFile(strSet, strA) && ReadWholeFile(strBack, strB) && strA == strB;
    std::printf("\nBackup identical to the restored file: %s\n", bSame ? "yes" : "NO");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
