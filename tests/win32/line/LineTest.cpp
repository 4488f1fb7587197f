// The Win32 serial layer on a real line: a COM number whose dosdevices link leads to
// the Handheld simulator's pseudo-terminal (GLOWDESK_LINE_COM names the number). The
// dialog connects, reads the version and writes and reads a program through it, and
// every trace log must equal the one of the same steps against the emulated Handheld.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "serial/PlatformComApi.h"
#include "tests/support/DialogHarness.h"

// After the project's headers: windows.h turns their constant names into macros.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef CreateFile

namespace {

unsigned LinePort() {
    const char* szPort = std::getenv("GLOWDESK_LINE_COM");
    return szPort != nullptr ? static_cast<unsigned>(std::atoi(szPort)) : 0;
}

// The platform's primitives on a machine whose only port is the linked one, so that
// the enumeration at start-up touches no other device.
class OnlyLinePort : public ComApi {
public:
    explicit OnlyLinePort(unsigned nPort) : pApi(CreatePlatformComApi()), nPort(nPort) {}

    PortHandle CreateFile(const std::string& strName) override {
        if (!IsLine(strName)) {
            bRefused = true;
            return kInvalidHandle;
        }
        bRefused = false;
        return pApi->CreateFile(strName);
    }
    uint32_t GetLastError() override {
        return bRefused ? ERROR_FILE_NOT_FOUND : pApi->GetLastError();
    }
    bool SetCommTimeouts(PortHandle h, const CommTimeouts& t) override {
        return pApi->SetCommTimeouts(h, t);
    }
    bool SetCommState(PortHandle h, const Dcb& d) override { return pApi->SetCommState(h, d); }
    bool ClearCommError(PortHandle h, uint32_t& e, uint32_t& q) override {
        return pApi->ClearCommError(h, e, q);
    }
    bool PurgeComm(PortHandle h, uint32_t f) override { return pApi->PurgeComm(h, f); }
    bool ReadFile(PortHandle h, uint8_t* p, uint32_t n, uint32_t& d) override {
        return pApi->ReadFile(h, p, n, d);
    }
    bool WriteFile(PortHandle h, const uint8_t* p, uint32_t n, uint32_t& d) override {
        return pApi->WriteFile(h, p, n, d);
    }
    bool CloseHandle(PortHandle h) override { return pApi->CloseHandle(h); }
    std::string DevicePath(unsigned n) override { return pApi->DevicePath(n); }

private:
    // The names the port logic uses for the number: "\\.\COMn" or "\\.\COM0n" when
    // probing, "COMn" or "COM0n" when opening.
    bool IsLine(const std::string& strName) const {
        std::string strDigits = strName;
        if (strDigits.rfind("\\\\.\\", 0) == 0)
            strDigits.erase(0, 4);
        if (strDigits.rfind("COM", 0) != 0)
            return false;
        strDigits.erase(0, 3);
        return !strDigits.empty() &&
               strDigits.find_first_not_of("0123456789") == std::string::npos &&
               std::stoul(strDigits) == nPort;
    }

    std::unique_ptr<ComApi> pApi;
    unsigned nPort;
    bool bRefused = false;
};

// For the emulated run: every port exists but is held elsewhere, so the port box
// offers the same row as on the line and nothing is opened.
class EveryPortBusy : public NullComApi {
public:
    uint32_t GetLastError() override { return ERROR_ACCESS_DENIED; }
};

// Waits until the port has bytes for the dialog; false when none came within the limit.
bool WaitForReply(DialogHarness& h) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (h.session.Link().BytesWaiting() == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Ticks timer 2 until the running operation ends. On the line each tick waits for the
// Handheld's reply first; the emulated Handheld has answered before the tick.
void RunUntilIdle(DialogHarness& h, bool bLine) {
    for (int nTick = 0; h.session.IsBusy() && nTick < 5000; ++nTick) {
        if (bLine && !WaitForReply(h)) {
            ADD_FAILURE() << "no reply on the line; trace so far:\n" << h.session.GetTrace();
            return;
        }
        h.dlg.OnTimer(2);
    }
    EXPECT_FALSE(h.session.IsBusy()) << h.session.GetTrace();
}

void SelectRow(FakeView& view, int nId, const std::string& strRow) {
    FakeView::Control& c = view.Ctl(nId);
    for (size_t i = 0; i < c.aRows.size(); ++i) {
        if (c.aRows[i] == strRow) {
            view.ComboSetSel(nId, static_cast<int>(i));
            return;
        }
    }
    ADD_FAILURE() << "no row " << strRow;
}

void RunCommand(DialogHarness& h, const std::string& strLabel, bool bLine) {
    ASSERT_TRUE(h.view.SelectCommand(strLabel)) << strLabel;
    h.dlg.OnStart();
    RunUntilIdle(h, bLine);
}

struct Traces {
    std::string strConnect, strWrite, strRead;
    LightProgram readBack;
};

constexpr int kProgRow = 1;  // program 2
constexpr uint8_t kSteps[] = {0x81, 0x42, 0x24, 0x18, 0xFF};

// Connect in programming mode (version, then configuration mode), write program 2 and
// read it back into a cleared store.
Traces RunSession(DialogHarness& h, const std::string& strArgs, const std::string& strPortRow,
                  bool bLine) {
    Traces t;
    h.Start(strArgs);
    SelectRow(h.view, IDC_COMPORT, strPortRow);
    h.dlg.OnConnect();
    RunUntilIdle(h, bLine);
    t.strConnect = h.session.GetTrace();

    LightProgram& prog = h.session.Store().aProgs[kProgRow];
    prog.MixAllowed = 1;
    prog.Steps = sizeof kSteps;
    std::memcpy(prog.Data, kSteps, sizeof kSteps);
    std::strcpy(prog.Name, "Win32 line");
    h.view.ComboSetSel(IDC_PROGRAM, kProgRow);
    RunCommand(h, "wr sel. program", bLine);
    t.strWrite = h.session.GetTrace();

    h.session.Store().ClearPrograms();
    RunCommand(h, "rd sel. program", bLine);
    t.strRead = h.session.GetTrace();
    t.readBack = h.session.Store().aProgs[kProgRow];

    h.dlg.OnConnect();  // disconnect
    EXPECT_EQ(h.session.Link().Handle(), kNullHandle);
    return t;
}

std::string WithoutPortName(std::string strTrace, const std::string& strPort) {
    const size_t nPos = strTrace.find(strPort);
    if (nPos != std::string::npos)
        strTrace.replace(nPos, strPort.size(), "<port>");
    return strTrace;
}

TEST(Win32Line, ThePortTakesTheLineSettings) {
    const unsigned nPort = LinePort();
    ASSERT_NE(nPort, 0u) << "GLOWDESK_LINE_COM is not set";
    OnlyLinePort api(nPort);
    RecordingWaiter waiter;
    RecordingDebugSink debug;
    CSerialPort serial(api);
    ComSettings settings;
    serial.InitLineSettings(settings, nPort, 57600, 0);
    PortHandle hPort = kNullHandle;

    ASSERT_STREQ(serial.Open(hPort, settings), "");

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(hPort), &dcb));
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fOutX, 1u);
    EXPECT_EQ(dcb.fInX, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(reinterpret_cast<HANDLE>(hPort), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    // A write gives up after a bounded time: a line stopped by XOFF must not hold the
    // window for ever.
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, CSerialPort::kWriteBoundMs);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);

    // No second open here: Wine does not hold a COM port exclusively, as Windows does.
    EXPECT_EQ(serial.Close(hPort), 1);
    EXPECT_EQ(hPort, kInvalidHandle);
}

TEST(Win32Line, ConnectVersionAndAProgramWrittenAndReadBackAsWithTheEmulatedHandheld) {
    const unsigned nPort = LinePort();
    ASSERT_NE(nPort, 0u) << "GLOWDESK_LINE_COM is not set";
    const std::string strRow = "COM" + std::to_string(nPort);

    OnlyLinePort api(nPort);
    DialogHarness line(&api);
    const Traces onLine = RunSession(line, "-p 1", strRow, true);
    ASSERT_EQ(line.view.ComboCount(IDC_COMPORT), 1);

    EveryPortBusy busy;
    DialogHarness emu(&busy);
    const Traces emulated = RunSession(emu, "-p 1 -e 1", strRow, false);

    EXPECT_NE(onLine.strConnect.find("HH 1.01"), std::string::npos) << onLine.strConnect;
    EXPECT_EQ(WithoutPortName(onLine.strConnect, "Com?, "),
              WithoutPortName(emulated.strConnect, "ComEmu, "));
    EXPECT_EQ(onLine.strWrite, emulated.strWrite);
    EXPECT_EQ(onLine.strRead, emulated.strRead);

    EXPECT_EQ(onLine.readBack.Steps, sizeof kSteps);
    EXPECT_EQ(std::memcmp(onLine.readBack.Data, kSteps, sizeof kSteps), 0);
    EXPECT_STREQ(onLine.readBack.Name, "Win32 line");
    EXPECT_EQ(onLine.readBack.MixAllowed, 1);
}

}  // namespace
