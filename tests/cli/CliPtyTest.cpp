// glowdesk-cli over the real serial layer against Handheld simulators on
// pseudo-terminals: whole stores written and read back, silent and missing ports,
// several Handhelds at once, and Ctrl-C sent to the program itself.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/ExitStatus.h"
#include "serial/posix/PtyHandheld.h"
#include "tests/cli/CliRig.h"
#include "tests/support/TestDoubles.h"

namespace {

// A simulated Handheld serving from its own thread, reachable as COM<n>.
struct Handheld {
    explicit Handheld(unsigned nCom) : nCom(nCom) {
        EXPECT_TRUE(sim.Open()) << sim.Error();
        setenv(Var().c_str(), sim.DevicePath().c_str(), 1);
        EXPECT_TRUE(sim.Start());
    }
    ~Handheld() {
        sim.Close();
        unsetenv(Var().c_str());
    }
    std::string Var() const { return "GLOWDESK_COM" + std::to_string(nCom); }
    std::string Port() const { return "COM" + std::to_string(nCom); }

    unsigned nCom;
    NoWaiter waiter;
    RecordingDebugSink debug;  // the LED lines of L requests
    PtyHandheld sim{waiter, debug};
};

struct CliPty : ::testing::Test {
    CliPty() {
        FillStore(store, kMaxFileSteps);
        strStoreText = StoreText(store);
        strSet = dir.File("set.ini");
        WriteBytes(strSet, strStoreText);
    }
    TempFolder dir;
    ProgramStore store;
    std::string strStoreText;
    std::string strSet;
};

TEST_F(CliPty, FullStoreWrittenAndReadBackIdentical) {
    Handheld hh(3);
    CliResult r = RunCliWith({"-p", "COM3", "restore", strSet});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "");

    const std::string strBack = dir.File("back.ini");
    r = RunCliWith({"-p", hh.sim.DevicePath(), "backup", strBack});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(ReadBytes(strBack), strStoreText);
    // The Handheld was left in normal mode.
    EXPECT_TRUE(hh.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));
}

TEST_F(CliPty, VerifyNamesEachProgramThatDiffers) {
    Handheld hh(3);
    ASSERT_EQ(RunCliWith({"-p", "COM3", "-q", "restore", strSet}).nStatus, kExitDone);
    CliResult r = RunCliWith({"-p", "COM3", "-q", "verify", strSet});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr << r.strOut;
    EXPECT_EQ(r.strOut, "");

    ProgramStore other = store;
    other.aProgs[1].Data[16] ^= 0x01;
    std::strcpy(other.aProgs[3].Name, "renamed");
    other.aProgs[6].Steps -= 1;
    const std::string strOther = dir.File("other.ini");
    WriteBytes(strOther, StoreText(other));
    r = RunCliWith({"-p", "COM3", "-q", "verify", strOther});
    EXPECT_EQ(r.nStatus, kExitDiffer);
    EXPECT_EQ(r.strOut,
              "program 2: steps differ from step 17\n"
              "program 4: name differs\n"
              "program 7: steps differ from step " +
                  std::to_string(other.aProgs[6].Steps + 1) + "\n");
}

TEST_F(CliPty, SilentHandheldTimesOutAndLeavesTheFile) {
    Handheld hh(3);
    hh.sim.SetSilent(true);
    const CliResult r = RunCliWith({"-p", "3", "backup", strSet});
    EXPECT_EQ(r.nStatus, kExitDevice);
    EXPECT_EQ(r.strErr.rfind("glowdesk-cli: COM3: ", 0), 0u) << r.strErr;
    EXPECT_NE(r.strErr.find(" --> timeout\n"), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadBytes(strSet), strStoreText);
}

TEST_F(CliPty, HandheldUnpluggedMidTransfer) {
    Handheld hh(3);
    ASSERT_EQ(RunCliWith({"-p", "COM3", "restore", strSet}).nStatus, kExitDone);
    int nTurns = 0;
    // Asked before every turn of the loop: pulls the plug once the transfer is under way.
    const CliResult r = RunCliWith({"-p", "COM3", "backup", strSet}, [&] {
        if (++nTurns == 200)
            hh.sim.Close();
        return false;
    });
    EXPECT_EQ(r.nStatus, kExitDevice);
    EXPECT_NE(r.strErr.find("--> timeout"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("COM port lost"), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadBytes(strSet), strStoreText);
}

TEST_F(CliPty, PortHeldByAnotherProgramSaysWhy) {
    Handheld hh(3);
    const int fd = open(hh.sim.DevicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    const CliResult r = RunCliWith({"-p", "COM3", "version"});
    close(fd);
    EXPECT_EQ(r.nStatus, kExitPort);
    EXPECT_NE(r.strErr.find("cannot open the port: in use by another program ("), std::string::npos)
        << r.strErr;
    EXPECT_EQ(r.strErr.find("INVLID_HANDLE_VALUE"), std::string::npos) << r.strErr;
}

TEST_F(CliPty, LedsAndPlayReachTheHandheldsLeds) {
    Handheld hh(3);
    ASSERT_EQ(RunCliWith({"-p", "COM3", "restore", strSet}).nStatus, kExitDone);
    hh.debug.aLines.clear();
    CliResult r = RunCliWith({"-p", "COM3", "leds", "10100101"});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    // Program 2 from the Handheld's memory: its steps in order, one per step time.
    r = RunCliWith({"-p", "COM3", "play", "2", "--step-ms", "32", "--for", "1"});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    // The simulator writes from its own thread: let it take the last request.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<std::string> aWanted{"Leds: A5\r\n"};
    const LightProgram& prog = store.aProgs[1];
    for (int i = 0; i < 1000 / 32 + 1; ++i) {
        char acLine[16];
        std::snprintf(acLine, sizeof acLine, "Leds: %02X\r\n", prog.Data[i % prog.Steps]);
        aWanted.push_back(acLine);
    }
    EXPECT_EQ(hh.debug.aLines, aWanted);
    // The Handheld stays in configuration mode, where it takes LED requests.
    EXPECT_FALSE(hh.sim.WithEmulator([](CComEmulator& e) { return e.IsNormalMode(); }));
}

TEST_F(CliPty, PortThatCannotBeOpened) {
    setenv("GLOWDESK_COM4", dir.File("no-such-device").c_str(), 1);
    CliResult r = RunCliWith({"-p", "COM4", "version"});
    EXPECT_EQ(r.nStatus, kExitPort);
    EXPECT_NE(r.strErr.find("COM4: cannot open the port: no such port"), std::string::npos)
        << r.strErr;
    unsetenv("GLOWDESK_COM4");
    // No port found, none named.
    r = RunCliWith({"version"});
    EXPECT_EQ(r.nStatus, kExitPort);
    EXPECT_NE(r.strErr.find("no port found"), std::string::npos) << r.strErr;
}

TEST_F(CliPty, TheOnlyPortIsTheDefaultAndPortsListsIt) {
    Handheld hh(7);
    CliResult r = RunCliWith({"version"});
    EXPECT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "HH 1.01\n");
    r = RunCliWith({"ports"});
    EXPECT_EQ(r.strOut, "COM7\t" + hh.sim.DevicePath() + "\n");
    r = RunCliWith({"--json", "ports"});
    EXPECT_EQ(r.strOut, "[{\"port\": \"COM7\", \"device\": \"" + hh.sim.DevicePath() + "\"}]\n");

    Handheld other(8);
    r = RunCliWith({"version"});
    EXPECT_EQ(r.nStatus, kExitUsage);
    EXPECT_NE(r.strErr.find("COM8\t" + other.sim.DevicePath()), std::string::npos) << r.strErr;
}

TEST_F(CliPty, TwoHandheldsAtOnce) {
    Handheld a(11), b(12);
    CliResult r = RunCliWith({"-p", "COM11", "-p", "COM12", "restore", strSet});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(r.strOut, "COM11\tok\nCOM12\tok\n");

    r = RunCliWith({"-p", "COM11", "-p", "COM12", "backup", dir.File("back.ini")});
    ASSERT_EQ(r.nStatus, kExitDone) << r.strErr;
    EXPECT_EQ(ReadBytes(dir.File("back-COM11.ini")), strStoreText);
    EXPECT_EQ(ReadBytes(dir.File("back-COM12.ini")), strStoreText);

    // One falls silent: it fails, the other still finishes.
    a.sim.SetSilent(true);
    WriteBytes(dir.File("again-COM11.ini"), "old");
    r = RunCliWith({"-p", "COM11", "-p", "COM12", "backup", dir.File("again.ini")});
    EXPECT_EQ(r.nStatus, kExitDevice);
    EXPECT_EQ(r.strOut, "COM11\tfailed (1)\nCOM12\tok\n");
    EXPECT_EQ(ReadBytes(dir.File("again-COM11.ini")), "old");
    EXPECT_EQ(ReadBytes(dir.File("again-COM12.ini")), strStoreText);
}

#ifdef GLOWDESK_SIM_PATH
// The simulator's usage: asked for, on standard output with success, either way.
TEST(SimUsage, LongAndShortHelpAreTheSame) {
    std::string aTexts[2];
    int n = 0;
    for (const char* pOption : {"-h", "--help"}) {
        FILE* pOut =
            popen((std::string(GLOWDESK_SIM_PATH " ") + pOption + " 2>/dev/null").c_str(), "r");
        ASSERT_NE(pOut, nullptr);
        char acBuf[256];
        while (std::fgets(acBuf, sizeof acBuf, pOut) != nullptr)
            aTexts[n] += acBuf;
        EXPECT_EQ(pclose(pOut), 0) << pOption;
        EXPECT_EQ(aTexts[n].rfind("usage: glowdesk-sim", 0), 0u) << pOption;
        ++n;
    }
    EXPECT_EQ(aTexts[0], aTexts[1]);
}
#endif

#ifdef GLOWDESK_CLI_PATH
// The program itself, interrupted with SIGINT in the middle of a paced backup.
TEST_F(CliPty, CtrlCStopsTheTransferAndLeavesTheFile) {
    Handheld hh(5);
    ASSERT_EQ(RunCliWith({"-p", "COM5", "restore", strSet}).nStatus, kExitDone);
    hh.sim.SetBaud(57600);  // a whole backup now takes seconds
    const std::string strKeep = dir.File("keep.ini");
    WriteBytes(strKeep, "[Random]\r\nMIX=1\r\n");

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(GLOWDESK_CLI_PATH, GLOWDESK_CLI_PATH, "-q", "-p", "COM5", "backup", strKeep.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(pid, SIGINT);
    int nWait = 0;
    ASSERT_EQ(waitpid(pid, &nWait, 0), pid);
    ASSERT_TRUE(WIFEXITED(nWait));
    EXPECT_EQ(WEXITSTATUS(nWait), kExitInterrupted);
    EXPECT_EQ(ReadBytes(strKeep), "[Random]\r\nMIX=1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                            std::filesystem::directory_iterator()),
              2)
        << "nothing left beside the files";
}
#endif

}  // namespace
#endif
