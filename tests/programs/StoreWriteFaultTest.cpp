// Interposes the C library's file calls and limits file sizes: POSIX only.
#ifndef _WIN32
// Program stores whose writing fails half-way: a file-size limit that cuts the new
// file short, and a flush, a sync or a close that reports an error. The old file stays
// byte for byte, nothing is left beside it, and the message box appears. Each store
// runs in a child process, so the limit and the failing calls touch nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/ProgramsFixture.h"

namespace {
// The call made to fail in the child (none in the test process itself).
enum class Failing { None, Flush, Sync, Close };
Failing g_failing = Failing::None;

template <class Fn>
Fn Next(const char* pName) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, pName));
}
}  // namespace

// The program's file replacement reaches the disk through these; each does the real
// work and then, when asked to, reports the failure a full disk or a lost device gives.
extern "C" int fflush(FILE* pFile) {
    static const auto pfnReal = Next<int (*)(FILE*)>("fflush");
    const int nResult = pfnReal(pFile);
    if (g_failing == Failing::Flush && pFile != nullptr) {
        errno = ENOSPC;
        return EOF;
    }
    return nResult;
}

extern "C" int fsync(int fd) {
    static const auto pfnReal = Next<int (*)(int)>("fsync");
    const int nResult = pfnReal(fd);
    if (g_failing == Failing::Sync) {
        errno = EIO;
        return -1;
    }
    return nResult;
}

extern "C" int fclose(FILE* pFile) {
    static const auto pfnReal = Next<int (*)(FILE*)>("fclose");
    const int nResult = pfnReal(pFile);
    if (g_failing == Failing::Close) {
        errno = EIO;
        return EOF;
    }
    return nResult;
}

namespace {

namespace fs = std::filesystem;

const std::string kOld = "[PROG_1]\r\nName=keep me\r\nSteps=1\r\nStep_1=10000001\r\n";
constexpr rlim_t kSizeLimit = 4096;

// A full store: nine programs of 896 steps, far more than the size limit.
void FillStore(ProgramStore& store) {
    for (int k = 0; k < kProgCount; ++k) {
        LightProgram& prog = store.aProgs[k];
        std::snprintf(prog.Name, sizeof prog.Name, "full %d", k + 1);
        prog.Steps = kMaxFileSteps;
        for (int s = 0; s < prog.Steps; ++s)
            prog.Data[s] = static_cast<uint8_t>(s + k);
    }
}

// Exit status 0 when the store reported its failure with one message box.
int StoreFailing(const std::string& strDir, Failing failing, bool bLimitSize) {
    if (bLimitSize) {
        // Past the limit a write fails with EFBIG instead of ending the process.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kSizeLimit, kSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    }
    DialogHarness h;
    h.Start("", strDir);
    FillStore(h.session.Store());
    g_failing = failing;
    h.session.StoreProgFile("old.ini");
    g_failing = Failing::None;
    return OneStoreMessage(h.view.aMessages) ? 0 : 1;
}

int RunInChild(const std::string& strDir, Failing failing, bool bLimitSize) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(StoreFailing(strDir, failing, bLimitSize));  // no test-framework clean-up
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

struct WriteFault {
    const char* pWhat;
    Failing failing;
    bool bLimitSize;
};

const WriteFault kFaults[] = {
    {"a file-size limit below the new file's size", Failing::None, true},
    {"a flush that fails", Failing::Flush, false},
    {"a sync that fails", Failing::Sync, false},
    {"a close that fails", Failing::Close, false},
};

TEST(StoreWriteFaultTest, AWriteThatFailsHalfWayLeavesTheOldFile) {
    for (const WriteFault& c : kFaults) {
        SCOPED_TRACE(c.pWhat);
        TempFolder folder;
        WriteBytes(folder.File("old.ini"), kOld);

        EXPECT_EQ(RunInChild(folder.Dir(), c.failing, c.bLimitSize), 0);

        EXPECT_EQ(ReadBytes(folder.File("old.ini")), kOld);
        std::vector<std::string> aNames;
        for (const auto& entry : fs::directory_iterator(folder.path))
            aNames.push_back(entry.path().filename().string());
        EXPECT_EQ(aNames, std::vector<std::string>{"old.ini"});
    }
}

// The same store without a fault replaces the file: the faults above are what failed.
TEST(StoreWriteFaultTest, WithoutAFaultTheStoreReplacesTheFile) {
    TempFolder folder;
    WriteBytes(folder.File("old.ini"), kOld);
    EXPECT_EQ(RunInChild(folder.Dir(), Failing::None, false), 1);  // no message box
    const std::string strNew = ReadBytes(folder.File("old.ini"));
    EXPECT_GT(strNew.size(), kSizeLimit);
    EXPECT_NE(strNew.find("Name=full 9"), std::string::npos);
}

}  // namespace

#endif  // _WIN32
