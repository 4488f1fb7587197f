#include "serial/SerialPort.h"

#include <gtest/gtest.h>

#include "serial/ComEmulator.h"
#include "serial/EmulatedComApi.h"
#include "tests/support/FakeComApi.h"
#include "tests/support/TestDoubles.h"

namespace {
using Port = FakeComApi::Port;

class SerialPortTest : public testing::Test {
protected:
    // Connects as the connect command does; returns Open's text ("<null>" for none).
    std::string Connect(unsigned nPort, uint8_t bEmu = 0) {
        serial.InitLineSettings(settings, nPort, 57600, bEmu);
        const char* psz = serial.Open(hPort, settings);
        return psz ? psz : "<null>";
    }

    FakeComApi api;
    RecordingWaiter waiter;
    RecordingDebugSink debug;
    CComEmulator emulator{waiter, debug};
    CEmulatedComApi emulatedApi{emulator};
    CSerialPort serial{api};
    CSerialPort emulated{emulatedApi};
    ComSettings settings;
    PortHandle hPort = kNullHandle;
};

TEST_F(SerialPortTest, EnumerationCountsBusyPortsAsPresent) {
    api.SetPort(1, Port::Present);
    api.SetPort(2, Port::AccessDenied);
    api.SetPort(3, Port::GenFailure);
    api.SetPort(5, Port::SharingViolation);
    api.SetPort(12, Port::SemTimeout);
    api.SetPort(200, Port::Present);
    api.SetPort(4, Port::Absent);

    std::vector<unsigned> aPorts{77};
    EXPECT_EQ(serial.EnumeratePorts(aPorts), 6);
    EXPECT_EQ(aPorts, (std::vector<unsigned>{1, 2, 3, 5, 12, 200}));
    // The present port was closed again at once.
    EXPECT_EQ(api.CountCalls("CloseHandle"), 2);
    EXPECT_FALSE(api.IsOpen(100));
    EXPECT_FALSE(api.IsOpen(101));
}

TEST_F(SerialPortTest, EnumerationProbesZeroPaddedNamesFromFive) {
    std::vector<unsigned> aPorts{3, 4};
    EXPECT_EQ(serial.EnumeratePorts(aPorts), 0);
    EXPECT_TRUE(aPorts.empty());
    ASSERT_EQ(api.aCalls.size(), 255u);
    EXPECT_EQ(api.aCalls[0], "CreateFile \\\\.\\COM1");
    EXPECT_EQ(api.aCalls[3], "CreateFile \\\\.\\COM4");
    EXPECT_EQ(api.aCalls[4], "CreateFile \\\\.\\COM05");
    EXPECT_EQ(api.aCalls[8], "CreateFile \\\\.\\COM09");
    EXPECT_EQ(api.aCalls[9], "CreateFile \\\\.\\COM10");
    EXPECT_EQ(api.aCalls[254], "CreateFile \\\\.\\COM255");
}

TEST_F(SerialPortTest, LineSettingsAndDescriptions) {
    EXPECT_EQ(serial.InitLineSettings(settings, 2, 57600, 0), 1);
    EXPECT_EQ(settings.dcb.DCBlength, 28u);
    EXPECT_EQ(settings.dcb.fOutX, 1);
    EXPECT_EQ(settings.dcb.fInX, 1);
    EXPECT_EQ(settings.dcb.XonChar, 0x11);
    EXPECT_EQ(settings.dcb.XoffChar, 0x13);
    EXPECT_EQ(settings.dcb.XonLim, 1000);
    EXPECT_STREQ(serial.DescribeSettings(settings), "Com2, 57600 Baud, 8 Bit, 1 Stop, no Parity");

    serial.InitLineSettings(settings, 7, 57600, 1);
    EXPECT_TRUE(serial.IsEmulation());
    EXPECT_STREQ(serial.DescribeSettings(settings), "ComEmu, 57600 Baud, 8 Bit, 1 Stop, no Parity");

    serial.InitLineSettings(settings, 7, 57600, 0);
    EXPECT_STREQ(serial.DescribeSettings(settings), "Com?, 57600 Baud, 8 Bit, 1 Stop, no Parity");

    settings.dcb.BaudRate = 4800;
    settings.dcb.ByteSize = 7;
    settings.dcb.StopBits = ONE5STOPBITS;
    settings.dcb.Parity = EVENPARITY;
    EXPECT_STREQ(serial.DescribeSettings(settings), "Com?, ? Baud, 7 Bit, ? Stop, even Parity");
    settings.dcb.ByteSize = 6;
    settings.dcb.StopBits = TWOSTOPBITS;
    settings.dcb.Parity = 4;
    EXPECT_STREQ(serial.DescribeSettings(settings), "Com?, ? Baud, ? Bit, 2 Stop, ? Parity");
}

TEST_F(SerialPortTest, OpenOutsideOneToNinetyNineGivesNoTextAndKeepsTheHandle) {
    api.SetPort(99, Port::Present);
    for (unsigned nPort : {0u, 100u, 255u}) {
        hPort = 1234;
        EXPECT_EQ(Connect(nPort), "<null>") << nPort;
        EXPECT_EQ(hPort, 1234);
    }
    EXPECT_TRUE(api.aCalls.empty());

    EXPECT_EQ(Connect(99), "");
    EXPECT_TRUE(api.IsOpen(hPort));
    EXPECT_EQ(api.aCalls.front(), "CreateFile \\\\.\\COM99");
    EXPECT_EQ(api.lastTimeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(api.lastDcb.BaudRate, 57600u);
}

TEST_F(SerialPortTest, OpenFailures) {
    EXPECT_EQ(Connect(3), "INVLID_HANDLE_VALUE");
    EXPECT_EQ(hPort, kInvalidHandle);

    api.SetPort(3, Port::Present);
    api.bFailSetCommTimeouts = true;
    EXPECT_EQ(Connect(3), "Could not set comm timeouts");
    EXPECT_EQ(hPort, kNullHandle);
    EXPECT_FALSE(api.IsOpen(100));

    api.bFailSetCommTimeouts = false;
    api.bFailSetCommState = true;
    EXPECT_EQ(Connect(3), "Could not set the comstate");
    EXPECT_EQ(hPort, kNullHandle);
    EXPECT_FALSE(api.IsOpen(101));
}

TEST_F(SerialPortTest, EmulationOpensNothing) {
    // Over the emulated Handheld's primitives every number opens it, and the
    // platform's primitives are never called.
    for (unsigned nPort : {1u, 42u, 99u}) {
        hPort = kNullHandle;
        emulated.InitLineSettings(settings, nPort, 57600, 1);
        EXPECT_STREQ(emulated.Open(hPort, settings), "");
        EXPECT_EQ(hPort, CEmulatedComApi::kHandle);
    }

    // The emulated Handheld answers through Write, BytesWaiting and Read.
    EXPECT_EQ(emulated.FlushReceive(hPort), 0);  // nothing waiting after an open
    const uint8_t acVersion[] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(emulated.Write(hPort, acVersion, 4), 4);
    EXPECT_EQ(emulated.BytesWaiting(hPort), 11);
    uint8_t by = 0;
    EXPECT_EQ(emulated.Read(hPort, &by, 1), 1);
    EXPECT_EQ(by, '>');
    EXPECT_EQ(emulated.BytesWaiting(hPort), 10);
    EXPECT_EQ(emulated.PurgeTransmit(hPort), 1);
    EXPECT_EQ(emulated.BytesWaiting(hPort), 10);

    // Closing discards the answer not read; the image stays.
    emulator.Image()[0x100] = 0x5A;
    EXPECT_EQ(emulated.Close(hPort), 1);
    EXPECT_EQ(hPort, kInvalidHandle);
    EXPECT_EQ(emulator.AnswerBytesWaiting(), 0);
    EXPECT_EQ(emulated.Open(hPort, settings), std::string());
    EXPECT_EQ(emulator.Image()[0x100], 0x5A);
    EXPECT_TRUE(api.aCalls.empty());
}

TEST_F(SerialPortTest, CloseTwiceAndTheClosedHandle) {
    api.SetPort(2, Port::Present);
    ASSERT_EQ(Connect(2), "");
    api.QueueRx("xy");
    EXPECT_EQ(serial.Close(hPort), 1);
    EXPECT_EQ(hPort, kInvalidHandle);
    EXPECT_EQ(api.CountCalls("PurgeComm 10"), 1);  // receive side, bytes were waiting
    EXPECT_EQ(api.CountCalls("PurgeComm 5"), 1);   // transmit side

    const size_t nCalls = api.aCalls.size();
    uint8_t ac[4] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(serial.Close(hPort), 0);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.Read(hPort, ac, 4), 0);
    EXPECT_EQ(ac[0], 0);  // the buffer was made an empty text
    EXPECT_EQ(serial.Write(hPort, ac, 4), 0);
    EXPECT_EQ(serial.FlushReceive(hPort), 0);
    EXPECT_EQ(serial.PurgeTransmit(hPort), 0);
    EXPECT_EQ(api.aCalls.size(), nCalls);  // the platform was not asked again
}

TEST_F(SerialPortTest, NullHandleNeverReachesThePlatform) {
    uint8_t ac[2] = {1, 2};
    EXPECT_EQ(serial.Close(hPort), 0);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.Read(hPort, ac, 2), 0);
    EXPECT_EQ(serial.Write(hPort, ac, 2), 0);
    EXPECT_EQ(serial.FlushReceive(hPort), 0);
    EXPECT_EQ(serial.PurgeTransmit(hPort), 0);
    EXPECT_TRUE(api.aCalls.empty());
}

TEST_F(SerialPortTest, FailedCloseKeepsTheHandle) {
    api.SetPort(1, Port::Present);
    ASSERT_EQ(Connect(1), "");
    const PortHandle hOpen = hPort;
    api.bFailCloseHandle = true;
    EXPECT_EQ(serial.Close(hPort), 0);
    EXPECT_EQ(hPort, hOpen);
}

TEST_F(SerialPortTest, LineErrorIsReportedOnce) {
    api.SetPort(1, Port::Present);
    ASSERT_EQ(Connect(1), "");
    api.QueueRx(">3j:0\n");
    api.InjectLineError(CE_FRAME);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.BytesWaiting(hPort), 6);

    api.InjectLineError(CE_BREAK);
    uint8_t by = 0;
    EXPECT_EQ(serial.Read(hPort, &by, 1), 0);
    EXPECT_EQ(serial.Read(hPort, &by, 1), 1);
    EXPECT_EQ(by, '>');
}

TEST_F(SerialPortTest, ReadTakesNoMoreThanTheBuffer) {
    api.SetPort(1, Port::Present);
    ASSERT_EQ(Connect(1), "");
    api.QueueRx("ab");
    uint8_t ac[4] = {};
    EXPECT_EQ(serial.Read(hPort, ac, 1), 1);
    EXPECT_EQ(ac[0], 'a');
    EXPECT_EQ(api.aCalls.back(), "ReadFile 1");
    EXPECT_EQ(serial.BytesWaiting(hPort), 1);
    EXPECT_EQ(serial.Read(hPort, ac, 4), 1);
    EXPECT_EQ(ac[0], 'b');
    EXPECT_EQ(serial.Read(hPort, ac, 4), 0);
    EXPECT_EQ(serial.Read(hPort, nullptr, 4), 0);

    // Fewer bytes than announced: only those count.
    api.QueueRx("cde");
    api.nReadLimit = 2;
    EXPECT_EQ(serial.Read(hPort, ac, 4), 2);

    api.bFailReadFile = true;
    EXPECT_EQ(serial.Read(hPort, ac, 4), 0);
}

TEST_F(SerialPortTest, WriteAndFlush) {
    api.SetPort(1, Port::Present);
    ASSERT_EQ(Connect(1), "");
    const uint8_t acFrame[] = {'>', '2', 'J', 'C', '\n'};
    EXPECT_EQ(serial.Write(hPort, acFrame, 5), 5);
    EXPECT_EQ(api.Written(), ">2JC\n");
    EXPECT_EQ(api.lastTimeouts.WriteTotalTimeoutConstant, CSerialPort::kWriteBoundMs);
    EXPECT_EQ(api.CountCalls("PurgeComm"), 0);
    // A frame given up leaves nothing behind to go out later.
    api.bFailWriteFile = true;
    EXPECT_EQ(serial.Write(hPort, acFrame, 5), 0);
    EXPECT_EQ(api.CountCalls("PurgeComm 5"), 1);

    EXPECT_EQ(serial.FlushReceive(hPort), 0);  // nothing waiting: no purge
    EXPECT_EQ(api.CountCalls("PurgeComm 10"), 0);
    api.QueueRx("zz");
    EXPECT_EQ(serial.FlushReceive(hPort), 1);
    EXPECT_EQ(api.RxLeft(), 0u);
    api.bFailPurgeComm = true;
    api.QueueRx("zz");
    EXPECT_EQ(serial.FlushReceive(hPort), 0);
    EXPECT_EQ(serial.PurgeTransmit(hPort), 0);
}

TEST_F(SerialPortTest, InvalidHandleOutsideEmulationDoesNothing) {
    serial.InitLineSettings(settings, 1, 57600, 0);
    hPort = kInvalidHandle;
    emulator.ResetEmulator();
    const uint8_t acVersion[] = {'>', '1', 'V', '\n'};
    EXPECT_EQ(serial.Write(hPort, acVersion, 4), 0);
    EXPECT_EQ(emulator.AnswerBytesWaiting(), 0);
    EXPECT_EQ(serial.FlushReceive(hPort), 0);
    EXPECT_TRUE(api.aCalls.empty());
}
}  // namespace
