// Times a program load and a store of a large INI file, and a load of a small one.
// Usage: ProgFileBench [folder]   (default: the system's temporary folder)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Session.h"
#include "base/DebugSink.h"
#include "tests/support/NullComApi.h"

namespace {

// A window that shows nothing.
class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

// Nine full programs between blocks of comments and unknown sections.
std::string LargeFile(size_t nTargetBytes) {
    std::string str = "; a large program file\r\n[Random]\r\nMIX=80\r\n";
    int nFiller = 0;
    while (str.size() < nTargetBytes) {
        str += "[Notes_" + std::to_string(++nFiller) + "]\r\n";
        for (int k = 0; k < 200; ++k)
            str += "note_" + std::to_string(k) + " = some text that nobody reads\r\n";
    }
    for (int p = 1; p <= 9; ++p) {
        str += "[PROG_" + std::to_string(p) + "]\r\nName=prog\r\nMixAllowed=1\r\nSteps=896\r\n";
        for (int k = 1; k <= 896; ++k)
            str += "Step_" + std::to_string(k) + "=10100101\r\n";
    }
    return str;
}

template <typename F>
double Millis(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    NoWait waiter;
    NullDebugSink sink;
    NullComApi api;
    SystemClock clock;
    CSession session(SessionServices{&api, &waiter, &clock, &sink});
    SessionOptions options;
    options.strStartDir = (dir / "").string();
    session.Configure(options);

    const std::string strLarge = (dir / "glowdesk-bench-large.ini").string();
    const std::string strStored = (dir / "glowdesk-bench-stored.ini").string();
    std::ofstream(strLarge, std::ios::binary) << LargeFile(8u * 1024 * 1024);
    const auto nBytes = std::filesystem::file_size(strLarge);

    for (int nRun = 1; nRun <= 3; ++nRun) {
        const double dLoad = Millis([&] { session.LoadProgFile(strLarge); });
        std::printf("load of %.1f MB (9 x 896 steps): %.1f ms\n", nBytes / 1048576.0, dLoad);
    }
    const double dStore = Millis([&] { session.StoreProgFile(strStored); });
    std::printf("store of 9 x 896 steps (%.1f KB): %.1f ms\n",
                std::filesystem::file_size(strStored) / 1024.0, dStore);
    const double dSmall = Millis([&] { session.LoadProgFile(strStored); });
    std::printf("load of the stored file: %.1f ms\n", dSmall);

    std::filesystem::remove(strLarge);
    std::filesystem::remove(strStored);
    return 0;
}
