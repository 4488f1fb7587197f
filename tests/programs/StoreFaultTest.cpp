// Runs stores in a child process with administrator rights dropped: POSIX only.
#ifndef _WIN32
// Program stores that cannot succeed leave the old file exactly as it was, also for a
// user with administrator rights: the store runs in a child process that has dropped
// them, since such a user may write anywhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/ProgramsFixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kNoUnprivilegedUser = 77;
constexpr uid_t kNobody = 65534;

const std::string kOld = "[PROG_1]\r\nName=keep me\r\nSteps=1\r\nStep_1=10000001\r\n";

// Stores a full program set into strTarget (relative to strDir) as an unprivileged
// user; the exit status is 0 when the store said it failed, with one message box.
int StoreAsOrdinaryUser(const std::string& strDir, const std::string& strTarget) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        return kNoUnprivilegedUser;
    DialogHarness h;
    h.Start("", strDir);
    LightProgram& prog = h.session.Store().aProgs[0];
    std::strcpy(prog.Name, "new");
    prog.Steps = 3;
    h.session.StoreProgFile(strTarget);
    return OneStoreMessage(h.view.aMessages) ? 0 : 1;
}

int RunInChild(const std::string& strDir, const std::string& strTarget) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(StoreAsOrdinaryUser(strDir, strTarget));  // no test-framework clean-up
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

struct StoreFault {
    const char* pWhat;
    const char* pTarget;    // relative to the folder
    fs::perms nFolderMode;  // of the folder while storing
    fs::perms nFileMode;    // of old.ini
};

const fs::perms kOpen = fs::perms::all;
const fs::perms kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read |
                            fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

const StoreFault kFaults[] = {
    {"a folder that is a file", "old.ini/new.ini", kOpen, kOpen},
    {"a file that may not be written, in an open folder", "old.ini", kOpen,
     fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read},
    {"a writable file in a folder that takes no new file", "old.ini", kReadOnly, kOpen},
};

TEST(StoreFaultTest, AStoreThatCannotSucceedLeavesTheOldFile) {
    for (const StoreFault& c : kFaults) {
        SCOPED_TRACE(c.pWhat);
        TempFolder folder;
        WriteBytes(folder.File("old.ini"), kOld);
        fs::permissions(folder.File("old.ini"), c.nFileMode);
        fs::permissions(folder.path, c.nFolderMode);

        const int nStatus = RunInChild(folder.Dir(), c.pTarget);
        fs::permissions(folder.path, kOpen);
        if (nStatus == kNoUnprivilegedUser)
            GTEST_SKIP() << "no unprivileged user to store as";
        EXPECT_EQ(nStatus, 0);

        EXPECT_EQ(ReadBytes(folder.File("old.ini")), kOld);
        // Nothing left behind: no half-written file beside the old one.
        std::vector<std::string> aNames;
        for (const auto& entry : fs::directory_iterator(folder.path))
            aNames.push_back(entry.path().filename().string());
        EXPECT_EQ(aNames, std::vector<std::string>{"old.ini"});
    }
}

}  // namespace

#endif  // _WIN32
