// Faults on the line: the Handheld goes away in the middle of a whole-store transfer,
// and a second program tries the port this one holds.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tests/e2e/PtyRig.h"

namespace {

const std::string kOpen = "Open Com Port:Com2, 57600 Baud, 8 Bit, 1 Stop, no Parity";

// Programs long enough that a transfer takes many frames.
void FillStore(ProgramStore& store) {
    for (int k = 0; k < kProgCount; ++k) {
        LightProgram& prog = store.aProgs[k];
        std::snprintf(prog.Name, sizeof prog.Name, "prog %d", k + 1);
        prog.Steps = static_cast<uint16_t>(20 + 10 * k);
        prog.MixAllowed = k % 2;
        for (int s = 0; s < prog.Steps; ++s)
            prog.Data[s] = static_cast<uint8_t>(s + k);
    }
}

// Serves, waits and ticks until the Handheld has answered nFrames requests of the
// running operation; false if it ended first.
bool ServeFrames(PtyRig& r, int nFrames) {
    const int nBase = r.Session().TxCount();
    while (r.Session().TxCount() - nBase < nFrames) {
        r.ServePending();
        r.WaitForInput();
        r.Tick();
        if (!r.Session().IsBusy())
            return false;
    }
    return true;
}

// Ticks while busy with no Handheld to answer; the ticks it took, -1 past nBound.
int TicksUntilIdle(PtyRig& r, int nBound) {
    for (int n = 1; n <= nBound; ++n) {
        r.Tick();
        if (!r.Session().IsBusy())
            return n;
    }
    return -1;
}

struct HangUpCase {
    const char* pLabel;
    int nFramesBefore;  // requests answered before the Handheld goes away
};

class HandheldGoneTest : public testing::TestWithParam<HangUpCase> {};

TEST_P(HandheldGoneTest, EndsInTheTimeoutAndALaterConnectWorks) {
    const HangUpCase& c = GetParam();
    PtyRig r("-p 1");
    ASSERT_TRUE(r.bOpen);
    FillStore(r.Session().Store());
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);

    ASSERT_TRUE(r.h->view.SelectCommand(c.pLabel));
    r.Dlg().OnStart();
    ASSERT_TRUE(ServeFrames(r, c.nFramesBefore)) << r.Trace();
    const int nTxBefore = r.Session().TxCount();
    r.sim.Close();

    // The request in flight never gets its answer: the time-out ends the operation on
    // its 76th tick, and nothing more is sent to a line that has gone.
    EXPECT_EQ(TicksUntilIdle(r, 1000), 76);
    // The first poll after the hang-up says the port went away, once.
    EXPECT_TRUE(r.Trace().ends_with(" --> COM port lost !!! --> timeout")) << r.Trace();
    EXPECT_EQ(r.Session().TxCount(), nTxBefore);
    EXPECT_EQ(r.h->view.TimerPeriod(kTimerCom), 100);
    EXPECT_EQ(r.h->view.GetText(IDC_START), "start");
    EXPECT_EQ(r.h->view.GetText(IDC_CONNECT), "disconnect");
    // Idle polls of the dead line change nothing.
    for (int n = 0; n < 5; ++n)
        r.Tick();
    EXPECT_FALSE(r.Session().IsBusy());
    EXPECT_TRUE(r.Trace().ends_with(" --> COM port lost !!! --> timeout"));
    EXPECT_EQ(r.Trace().find("lost"), r.Trace().rfind("lost"));

    // The Handheld comes back on a new line under the same COM number.
    RecordingWaiter waiter;
    NullDebugSink debug;
    PtyHandheld again(waiter, debug);
    ASSERT_TRUE(again.Open()) << again.Error();
    setenv(PtyRig::VarName().c_str(), again.DevicePath().c_str(), 1);
    ASSERT_TRUE(again.Start());
    r.Dlg().OnConnect();
    EXPECT_EQ(r.Trace(), "Com Port closed");
    r.Dlg().OnConnect();
    auto runToIdle = [&] {
        for (int n = 0; n < 10000 && r.Session().IsBusy(); ++n) {
            r.WaitForInput();
            r.Tick();
        }
        return !r.Session().IsBusy();
    };
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(r.Trace(), kOpen + " --> VHH 1.01\r\njmp to CFG mode: --> ok");

    ASSERT_TRUE(r.h->view.SelectCommand("rd MIX lenght"));
    r.Dlg().OnStart();
    ASSERT_TRUE(runToIdle());
    EXPECT_TRUE(r.Trace().ends_with(": (random length=32)\r\n ...finished")) << r.Trace();
    again.Stop();
}

INSTANTIATE_TEST_SUITE_P(Transfers, HandheldGoneTest,
                         testing::Values(HangUpCase{"rd all programs", 1},
                                         HangUpCase{"rd all programs", 12},
                                         HangUpCase{"wr all programs", 1},
                                         HangUpCase{"wr all programs", 30}));

// What a second program sees of a port this one holds, reported from a child process
// through its exit status: 0 when it sees the port busy but present.
int SecondProgramOnHeldPort() {
    PosixComApi api(ComPortTable(false));
    int nStatus = 0;
    const PortHandle h = api.CreateFile("\\\\.\\COM" + std::to_string(PtyRig::kCom));
    if (h != kInvalidHandle) {
        api.CloseHandle(h);
        nStatus |= 1;
    } else if (api.GetLastError() != ERROR_SHARING_VIOLATION) {
        nStatus |= 2;
    }
    DialogHarness other(&api);
    other.Start("");
    if (other.view.ComboCount(IDC_COMPORT) != 1)
        nStatus |= 4;  // a busy port is still listed
    other.dlg.OnConnect();
    if (other.session.GetTrace().rfind("Could Not Open Com Port - ", 0) != 0 ||
        other.view.GetText(IDC_CONNECT) != "connect")
        nStatus |= 8;
    if (!other.session.GetTrace().ends_with(": in use by another program"))
        nStatus |= 32;  // the user learns why
    other.dlg.OnDestroy();
    return nStatus;
}

int SecondProgramOnFreePort() {
    PosixComApi api(ComPortTable(false));
    const PortHandle h = api.CreateFile("\\\\.\\COM" + std::to_string(PtyRig::kCom));
    if (h == kInvalidHandle)
        return 16;
    api.CloseHandle(h);
    return 0;
}

int RunInChild(int (*fn)()) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(fn());  // no test-framework clean-up in the child
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

TEST(PortHeldByThisProgram, ASecondProcessSeesItBusyUntilDisconnect) {
    PtyRig r("");
    ASSERT_TRUE(r.bOpen);
    r.Connect();
    ASSERT_GT(r.RunUntilIdle(), 0);
    ASSERT_EQ(r.h->view.GetText(IDC_CONNECT), "disconnect");

    EXPECT_EQ(RunInChild(SecondProgramOnHeldPort), 0);
    // This program's line still works.
    EXPECT_GT(r.Run(READ_VERSION, -1, "read version"), 0);
    EXPECT_EQ(r.Trace(), "read version:  --> VHH 1.01");

    r.Dlg().OnConnect();
    ASSERT_EQ(r.Trace(), "Com Port closed");
    EXPECT_EQ(RunInChild(SecondProgramOnFreePort), 0);
}

}  // namespace
