// The Win32 serial primitives where no port is needed: a COM number that leads nowhere,
// and a handle that is not a port.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "serial/ComEmulator.h"
#include "serial/PlatformComApi.h"
#include "serial/SerialPort.h"
#include "tests/support/TestDoubles.h"

namespace {
// No dosdevices link of the test prefix, and no port of a usual machine, has this number.
constexpr unsigned kAbsentPort = 97;

TEST(Win32ComApi, AnAbsentPortIsNotFound) {
    std::unique_ptr<ComApi> pApi = CreatePlatformComApi();
    EXPECT_EQ(pApi->CreateFile("\\\\.\\COM97"), kInvalidHandle);
    EXPECT_EQ(pApi->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(pApi->DevicePath(kAbsentPort), "COM97");
}

TEST(Win32ComApi, OpeningAnAbsentPortFailsWithTheHandleInvalid) {
    std::unique_ptr<ComApi> pApi = CreatePlatformComApi();
    RecordingWaiter waiter;
    RecordingDebugSink debug;
    CSerialPort serial(*pApi);
    ComSettings settings;
    serial.InitLineSettings(settings, kAbsentPort, 57600, 0);
    PortHandle hPort = kNullHandle;

    const char* szResult = serial.Open(hPort, settings);

    ASSERT_NE(szResult, nullptr);
    EXPECT_STREQ(szResult, "INVLID_HANDLE_VALUE");
    EXPECT_EQ(hPort, kInvalidHandle);
    EXPECT_EQ(serial.BytesWaiting(hPort), 0);
    EXPECT_EQ(serial.Close(hPort), 0);
}

// A file opens like a port but refuses every serial setting; the primitives report
// the refusal and never a queue.
TEST(Win32ComApi, AFileHandleRefusesTheSerialCalls) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "glowdesk-win32-not-a-port.bin";
    std::ofstream(path).put('x');
    std::unique_ptr<ComApi> pApi = CreatePlatformComApi();

    const PortHandle hFile = pApi->CreateFile(path.string());
    ASSERT_NE(hFile, kInvalidHandle);
    EXPECT_FALSE(pApi->SetCommTimeouts(hFile, CommTimeouts{0xFFFFFFFF, 0, 0, 0, 0}));
    EXPECT_FALSE(pApi->SetCommState(hFile, Dcb{.DCBlength = 28, .BaudRate = 57600}));
    uint32_t nErrors = 7, nInQueue = 7;
    EXPECT_FALSE(pApi->ClearCommError(hFile, nErrors, nInQueue));
    EXPECT_EQ(nErrors, 0u);
    EXPECT_EQ(nInQueue, 0u);
    const uint8_t acBytes[] = {'>', '1', 'V', '\n'};
    uint32_t nDone = 0;
    EXPECT_TRUE(pApi->WriteFile(hFile, acBytes, sizeof acBytes, nDone));
    EXPECT_EQ(nDone, sizeof acBytes);
    EXPECT_TRUE(pApi->CloseHandle(hFile));
    EXPECT_FALSE(pApi->CloseHandle(hFile));

    // Exclusive: a second open of a held file is refused as a sharing violation.
    const PortHandle hFirst = pApi->CreateFile(path.string());
    ASSERT_NE(hFirst, kInvalidHandle);
    EXPECT_EQ(pApi->CreateFile(path.string()), kInvalidHandle);
    EXPECT_EQ(pApi->GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(pApi->CloseHandle(hFirst));
    std::filesystem::remove(path);
}
}  // namespace
