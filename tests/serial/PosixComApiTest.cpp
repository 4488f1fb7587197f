// Pseudo-terminals and the POSIX serial primitives exist only on POSIX systems.
#ifndef _WIN32
// The real POSIX serial layer, over pseudo-terminals reached through the
// GLOWDESK_COM<n> override; no real device node is ever opened.
#include "serial/posix/PosixComApi.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "serial/posix/PtyHandheld.h"
#include "tests/support/TestDoubles.h"

namespace {
constexpr unsigned kPort = 98;

TEST(ComPortTableTest, DefaultTableAndOverride) {
    const struct {
        unsigned nPort;
        const char* pszPath;
    } aRows[] = {
        {0, ""},
        {1, "/dev/ttyS0"},
        {4, "/dev/ttyS3"},
        {5, "/dev/ttyUSB0"},
        {20, "/dev/ttyUSB15"},
        {21, "/dev/ttyACM0"},
        {36, "/dev/ttyACM15"},
        {37, "/dev/ttyAMA0"},
        {40, "/dev/ttyAMA3"},
        {41, ""},
        {255, ""},
    };
    for (const auto& row : aRows) {
        EXPECT_EQ(ComPortTable::DefaultPath(row.nPort), row.pszPath) << row.nPort;
    }

    setenv("GLOWDESK_COM3", "/tmp/elsewhere", 1);
    setenv("GLOWDESK_COM255", "/tmp/last", 1);
    EXPECT_EQ(ComPortTable().Path(3), "/tmp/elsewhere");
    EXPECT_EQ(ComPortTable().Path(255), "/tmp/last");
    EXPECT_EQ(ComPortTable().Path(2), "/dev/ttyS1");
    EXPECT_EQ(ComPortTable(false).Path(2), "");
    EXPECT_EQ(ComPortTable(false).Path(3), "/tmp/elsewhere");
    unsetenv("GLOWDESK_COM3");
    unsetenv("GLOWDESK_COM255");
    EXPECT_EQ(ComPortTable().Path(3), "/dev/ttyS2");
}

TEST(ComPortTableTest, NumberFromName) {
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM1"), 1u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM05"), 5u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM255"), 255u);
    EXPECT_EQ(ComNumberFromName("com7"), 7u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM256"), 0u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM"), 0u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM1x"), 0u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\LPT1"), 0u);
    EXPECT_EQ(ComNumberFromName("\\\\.\\COM0001"), 0u);
}

// A pseudo-terminal pair whose terminal end is COM kPort; the test plays the device
// on the other end.
class PosixPortTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&fdPeer, &fdTerminal, nullptr, nullptr, nullptr), 0);
        char szName[128];
        ASSERT_EQ(ttyname_r(fdTerminal, szName, sizeof szName), 0);
        strPath = szName;
        setenv("GLOWDESK_COM98", szName, 1);
        // Only the pair is kept open here: the terminal end must reach the program only.
        close(fdTerminal);
        fdTerminal = -1;
    }
    void TearDown() override {
        serial.Close(hPort);
        if (fdPeer >= 0)
            close(fdPeer);
        unsetenv("GLOWDESK_COM98");
    }
    std::string Connect() {
        serial.InitLineSettings(settings, kPort, 57600, 0);
        const char* psz = serial.Open(hPort, settings);
        return psz ? psz : "<null>";
    }
    // Everything the program receives within about a second, up to nCount bytes.
    std::string Receive(size_t nCount) {
        std::string str;
        while (str.size() < nCount && WaitReadable(serial.PollDescriptor(hPort), 1000)) {
            uint8_t by;
            while (serial.BytesWaiting(hPort) > 0 && serial.Read(hPort, &by, 1) == 1) {
                str += static_cast<char>(by);
            }
        }
        return str;
    }
    std::string PeerReceive(size_t nCount) {
        std::string str;
        while (str.size() < nCount && WaitReadable(fdPeer, 1000)) {
            char ac[64];
            const ssize_t n = read(fdPeer, ac, sizeof ac);
            if (n <= 0)
                break;
            str.append(ac, static_cast<size_t>(n));
        }
        return str;
    }

    int fdPeer = -1;
    int fdTerminal = -1;
    std::string strPath;
    PosixComApi api{ComPortTable(false)};
    // Whether a descriptor of this process still refers to the terminal end.
    bool Holds(const std::string& strNode) {
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (std::filesystem::read_symlink(entry.path(), error) == strNode)
                return true;
        }
        return false;
    }
    RecordingWaiter waiter;
    NullDebugSink debug;
    CSerialPort serial{api};
    ComSettings settings;
    PortHandle hPort = kNullHandle;
};

TEST_F(PosixPortTest, OpensConfiguresAndMovesBytes) {
    ASSERT_EQ(Connect(), "");
    ASSERT_GT(hPort, 0);
    EXPECT_EQ(serial.DevicePath(kPort), strPath);

    termios tio{};
    ASSERT_EQ(tcgetattr(static_cast<int>(hPort), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B57600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);

    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    uint8_t by = 0;
    EXPECT_EQ(serial.Read(hPort, &by, 1), 0);  // nothing there: no wait, no failure

    const uint8_t acFrame[] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(serial.Write(hPort, acFrame, 4), 4);
    EXPECT_EQ(PeerReceive(4), ">1V\n");

    ASSERT_EQ(write(fdPeer, ">8vHH 1.01\n", 11), 11);
    EXPECT_EQ(Receive(11), ">8vHH 1.01\n");
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
}

// The rest of a frame announced by its length: the descriptor is reported readable
// only once it has all come, while reads still return whatever has arrived.
bool WaitFor(const std::function<bool()>& fnDone) {
    for (int n = 0; n < 1000; ++n) {
        if (fnDone())
            return true;
        usleep(1000);
    }
    return false;
}

TEST_F(PosixPortTest, WakeThresholdHoldsThePollButNotTheRead) {
    ASSERT_EQ(Connect(), "");
    const int fd = api.PollDescriptor(hPort);
    auto readable = [fd] {
        pollfd pfd{fd, POLLIN, 0};
        return poll(&pfd, 1, 0) == 1;
    };
    serial.SetReadWakeThreshold(hPort, 5);
    ASSERT_EQ(write(fdPeer, ">3v", 3), 3);
    ASSERT_TRUE(WaitFor([&] { return serial.BytesWaiting(hPort) == 3; }));
    EXPECT_FALSE(readable());
    ASSERT_EQ(write(fdPeer, "12", 2), 2);
    EXPECT_TRUE(WaitFor(readable));
    EXPECT_EQ(Receive(5), ">3v12");

    serial.SetReadWakeThreshold(hPort, 1);  // back to any byte
    ASSERT_EQ(write(fdPeer, "\n", 1), 1);
    EXPECT_TRUE(WaitFor(readable));
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    EXPECT_EQ(tio.c_cc[VMIN], 0);  // as set at open
}

TEST_F(PosixPortTest, SecondOpenIsBusyAndStillListed) {
    ASSERT_EQ(Connect(), "");
    PosixComApi other(ComPortTable(false));
    EXPECT_EQ(other.CreateFile("\\\\.\\COM98"), kInvalidHandle);
    EXPECT_EQ(other.GetLastError(), ERROR_SHARING_VIOLATION);

    CSerialPort otherSerial(other);
    std::vector<unsigned> aPorts;
    EXPECT_EQ(otherSerial.EnumeratePorts(aPorts), 1);
    EXPECT_EQ(aPorts, std::vector<unsigned>{kPort});

    // Free again after a close, and a reconnect works.
    EXPECT_EQ(serial.Close(hPort), 1);
    hPort = kNullHandle;
    const PortHandle hOther = other.CreateFile("\\\\.\\COM98");
    ASSERT_NE(hOther, kInvalidHandle);
    EXPECT_TRUE(other.CloseHandle(hOther));
    EXPECT_EQ(Connect(), "");
}

TEST_F(PosixPortTest, MissingOrUnsuitableDevicesAreAbsent) {
    PosixComApi plain(ComPortTable(false));
    EXPECT_EQ(plain.CreateFile("\\\\.\\COM97"), kInvalidHandle);  // no override: nowhere
    EXPECT_EQ(plain.GetLastError(), ERROR_FILE_NOT_FOUND);
    setenv("GLOWDESK_COM97", "/nonexistent/tty", 1);
    EXPECT_EQ(plain.CreateFile("\\\\.\\COM97"), kInvalidHandle);
    EXPECT_EQ(plain.GetLastError(), ERROR_FILE_NOT_FOUND);

    char szFile[] = "/tmp/glowdesk_notatty_XXXXXX";
    const int fd = mkstemp(szFile);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("GLOWDESK_COM97", szFile, 1);
    EXPECT_EQ(plain.CreateFile("\\\\.\\COM97"), kInvalidHandle);
    EXPECT_EQ(plain.GetLastError(), ERROR_FILE_NOT_FOUND);
    unlink(szFile);
    unsetenv("GLOWDESK_COM97");

    EXPECT_EQ(plain.CreateFile("\\\\.\\LPT1"), kInvalidHandle);
}

TEST_F(PosixPortTest, RejectsWhatThisPlatformCannotDo) {
    const PortHandle h = api.CreateFile("\\\\.\\COM98");
    ASSERT_NE(h, kInvalidHandle);
    CommTimeouts timeouts;
    EXPECT_FALSE(api.SetCommTimeouts(h, timeouts));  // reads that wait
    timeouts.ReadIntervalTimeout = 0xFFFFFFFF;
    EXPECT_TRUE(api.SetCommTimeouts(h, timeouts));
    timeouts.WriteTotalTimeoutConstant = 100;
    EXPECT_TRUE(api.SetCommTimeouts(h, timeouts));
    timeouts.WriteTotalTimeoutMultiplier = 1;  // per-byte write time-outs: not here
    EXPECT_FALSE(api.SetCommTimeouts(h, timeouts));
    timeouts.WriteTotalTimeoutMultiplier = 0;
    serial.InitLineSettings(settings, kPort, 56000, 0);
    EXPECT_FALSE(api.SetCommState(h, settings.dcb));
    serial.InitLineSettings(settings, kPort, 9600, 0);
    settings.dcb.ByteSize = 9;
    EXPECT_FALSE(api.SetCommState(h, settings.dcb));
    EXPECT_TRUE(api.CloseHandle(h));
    EXPECT_FALSE(api.CloseHandle(h));
    EXPECT_FALSE(api.SetCommTimeouts(h, timeouts));
}

TEST_F(PosixPortTest, PeerHangUpReportsNothingAndDoesNotCrash) {
    ASSERT_EQ(Connect(), "");
    ASSERT_EQ(write(fdPeer, ">3j", 3), 3);
    close(fdPeer);
    fdPeer = -1;
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    uint8_t ac[4] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(serial.Read(hPort, ac, 4), 0);
    EXPECT_EQ(serial.Write(hPort, ac, 4), 0);
    EXPECT_EQ(serial.PollDescriptor(hPort), -1);
    EXPECT_EQ(serial.FlushReceive(hPort), 0);
    // Let go of at once: the node is free for a re-plugged device under the same name.
    EXPECT_FALSE(Holds(strPath));
    EXPECT_EQ(serial.Close(hPort), 1);
    EXPECT_EQ(hPort, kInvalidHandle);

    int fdTerminalAgain = -1;
    ASSERT_EQ(openpty(&fdPeer, &fdTerminalAgain, nullptr, nullptr, nullptr), 0);
    char szName[128];
    ASSERT_EQ(ttyname_r(fdTerminalAgain, szName, sizeof szName), 0);
    close(fdTerminalAgain);
    setenv("GLOWDESK_COM98", szName, 1);
    EXPECT_EQ(Connect(), "");
}

// XOFF from the other end stops our output: a write gives up within the bound instead
// of waiting for XON, and after XON writes go through again.
TEST_F(PosixPortTest, WritesOnAStoppedLineGiveUpAndResumeAfterXon) {
    ASSERT_EQ(Connect(), "");
    ASSERT_EQ(write(fdPeer, "\x13x", 2), 2);
    ASSERT_EQ(Receive(1), "x");  // the control byte has been acted on
    const uint8_t acFrame[] = {'>', '1', 'V', '\n'};
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(serial.Write(hPort, acFrame, 4), 0);
    ASSERT_EQ(write(fdPeer, "\x11y", 2), 2);
    ASSERT_EQ(Receive(1), "y");
    EXPECT_EQ(serial.Write(hPort, acFrame, 4), 4);
    EXPECT_EQ(PeerReceive(4), ">1V\n");  // nothing of the frames given up
}

TEST_F(PosixPortTest, PurgeDiscardsWhatWasReceived) {
    ASSERT_EQ(Connect(), "");
    ASSERT_EQ(write(fdPeer, "stale", 5), 5);
    ASSERT_TRUE(WaitReadable(serial.PollDescriptor(hPort), 1000));
    EXPECT_EQ(serial.FlushReceive(hPort), 1);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
}
}  // namespace

namespace {
TEST_F(PosixPortTest, ExclusiveFlagIsClearedOnClose) {
    // Someone else keeps the terminal open, as the simulator does: the flag would
    // otherwise outlive the close and refuse the next open of an ordinary user.
    const int fdKept = open(strPath.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fdKept, 0);
    ASSERT_EQ(Connect(), "");
    int nExclusive = 0;
    ASSERT_EQ(ioctl(fdKept, TIOCGEXCL, &nExclusive), 0);
    EXPECT_EQ(nExclusive, 1);
    EXPECT_EQ(serial.Close(hPort), 1);
    ASSERT_EQ(ioctl(fdKept, TIOCGEXCL, &nExclusive), 0);
    EXPECT_EQ(nExclusive, 0);
    close(fdKept);
}
}  // namespace

namespace {
// The driver calls of the real system, counted; the output queue and the clock may be
// the test's own.
class CountingIo : public TerminalIo {
public:
    int SetAttr(int fd, const termios& tio) override {
        ++nSetAttr;
        return TerminalIo::SetAttr(fd, tio);
    }
    int OutputQueued(int fd) override {
        return nStuck >= 0 ? nStuck : TerminalIo::OutputQueued(fd);
    }
    bool WaitWritable(int fd, int nMs) override {
        if (!bOwnClock)
            return TerminalIo::WaitWritable(fd, nMs);
        tNow += std::chrono::milliseconds(nMs);
        return false;
    }
    void Pause(int nMs) override {
        if (bOwnClock)
            tNow += std::chrono::milliseconds(nMs);
        else
            TerminalIo::Pause(nMs);
    }
    Clock::time_point Now() override { return bOwnClock ? tNow : TerminalIo::Now(); }
    void Close(int fd, bool bMayWait) override {
        // A real driver would hold a close without that leave for up to 30 s.
        bCloseWouldWait = !bMayWait && OutputQueued(fd) > 0;
        TerminalIo::Close(fd, false);
    }
    int Elapsed() const {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(tNow - Clock::time_point{})
                .count());
    }

    int nSetAttr = 0;
    int nStuck = -1;  // what the output queue reports for ever; -1: the real figure
    bool bOwnClock = false;
    bool bCloseWouldWait = false;
    Clock::time_point tNow{};
};

// Presents the pseudo-terminal as the node of a USB adapter.
class UsbLookingFs : public PortFileSystem {
public:
    PortNodeFacts Facts(const std::string& strPath) const override {
        PortNodeFacts facts = PortFileSystem::Facts(strPath);
        facts.strName = "ttyUSB0";
        facts.bPseudoTerminal = false;
        return facts;
    }
};

class CountedPortTest : public PosixPortTest {
protected:
    void Reopen(bool bUsb) {
        serial.Close(hPort);
        pCounted = std::make_unique<PosixComApi>(ComPortTable(false),
                                                 bUsb ? usbFs : PortFileSystem::System(), io);
        pCountedSerial = std::make_unique<CSerialPort>(*pCounted);
        pCountedSerial->InitLineSettings(settings, kPort, 57600, 0);
        ASSERT_STREQ(pCountedSerial->Open(hCounted, settings), "");
    }
    void TearDown() override {
        if (pCountedSerial)
            pCountedSerial->Close(hCounted);
        PosixPortTest::TearDown();
    }
    CountingIo io;
    UsbLookingFs usbFs;
    std::unique_ptr<PosixComApi> pCounted;
    std::unique_ptr<CSerialPort> pCountedSerial;
    PortHandle hCounted = kNullHandle;
};

// Each terminal-settings change is a synchronous USB transfer on an adapter: the wake
// threshold changes per reply only where changes stay local.
TEST_F(CountedPortTest, WakeThresholdChangesOnlyWhereSettingsStayLocal) {
    for (const bool bUsb : {false, true}) {
        Reopen(bUsb);
        const int nAtOpen = io.nSetAttr;
        for (int nBytes : {5, 5, 1, 3, 1})
            pCountedSerial->SetReadWakeThreshold(hCounted, nBytes);
        EXPECT_EQ(io.nSetAttr - nAtOpen, bUsb ? 0 : 4) << bUsb;
        pCountedSerial->Close(hCounted);
    }
}

// The write bound, measured on the test's clock: a line stopped by XOFF takes nothing,
// and a driver that queues the frame never sends it.
TEST_F(CountedPortTest, AFrameNotSentWithin100msIsGivenUpAndPurged) {
    for (const bool bStopped : {true, false}) {
        Reopen(false);
        io.bOwnClock = true;
        io.nStuck = bStopped ? -1 : 4;
        if (bStopped) {
            ASSERT_EQ(write(fdPeer, "\x13x", 2), 2);
            ASSERT_TRUE(WaitReadable(static_cast<int>(hCounted), 1000));
            uint8_t by = 0;
            ASSERT_EQ(pCountedSerial->Read(hCounted, &by, 1), 1);
        }
        const auto tStart = io.tNow;
        const uint8_t acFrame[] = {'>', '1', 'V', '\n'};
        EXPECT_EQ(pCountedSerial->Write(hCounted, acFrame, 4), 0) << bStopped;
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(io.tNow - tStart).count(),
                  100)
            << bStopped;
        if (bStopped)
            ASSERT_EQ(write(fdPeer, "\x11", 1), 1);
        // What the driver could not discard is not waited for at the close.
        io.bOwnClock = false;
        pCountedSerial->Close(hCounted);
        EXPECT_FALSE(io.bCloseWouldWait);
        io.nStuck = -1;
    }
}

}  // namespace

#endif  // _WIN32
