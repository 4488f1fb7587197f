#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/PortChoice.h"
#include "serial/ComPortTable.h"
#include "tests/support/NullComApi.h"

namespace {

PortSpec Spec(const std::string& strValue, std::string* pError = nullptr) {
    PortSpec spec;
    const std::string strError = ParsePortSpec(strValue, spec);
    if (pError != nullptr)
        *pError = strError;
    return spec;
}

TEST(PortChoice, NamesAndNumbers) {
    EXPECT_EQ(Spec("COM7").nNumber, 7u);
    EXPECT_EQ(Spec("com12").nNumber, 12u);
    EXPECT_EQ(Spec("\\\\.\\COM05").nNumber, 5u);
    EXPECT_EQ(Spec("3").nNumber, 3u);
    EXPECT_EQ(Spec("3").strName, "COM3");
    EXPECT_EQ(Spec("COM99").strName, "COM99");

    std::string strError;
    for (const char* p : {"0", "100", "COM0", "COM100", "1000", "COMX", "com", ""}) {
        Spec(p, &strError);
        EXPECT_NE(strError, "") << p;
    }
}

#ifndef _WIN32
// Leads every number to a path of its own: /dev/ttyFAKE<n> for 1-4, nothing beyond
// unless the environment says so.
class TableApi : public NullComApi {
public:
    std::string DevicePath(unsigned n) override {
        if (n <= 4)
            return "/dev/ttyFAKE" + std::to_string(n);
        return ComPortTable(false).Path(n);
    }
};

TEST(PortChoice, DevicePathGetsTheNumberLeadingThereOrAFreeOne) {
    PortSpec spec = Spec("/dev/ttyFAKE3");
    EXPECT_EQ(spec.nNumber, 0u);
    EXPECT_EQ(spec.strName, "ttyFAKE3");
    TableApi api;
    EXPECT_EQ(BindPortPath(spec, api), "");
    EXPECT_EQ(spec.nNumber, 3u);

    unsetenv("GLOWDESK_COM99");
    PortSpec other = Spec("/tmp/handheld-link");
    EXPECT_EQ(BindPortPath(other, api), "");
    EXPECT_EQ(other.nNumber, 99u);
    EXPECT_EQ(api.DevicePath(99), "/tmp/handheld-link");
    unsetenv("GLOWDESK_COM99");
}

TEST(PortChoice, TwoDevicePathsGetTwoNumbersEachLeadingToItsOwn) {
    TableApi api;
    PortSpec first = Spec("/tmp/handheld-a");
    PortSpec second = Spec("/tmp/handheld-b");
    ASSERT_EQ(BindPortPath(first, api), "");
    ASSERT_EQ(BindPortPath(second, api), "");
    EXPECT_NE(first.nNumber, second.nNumber);
    EXPECT_EQ(api.DevicePath(first.nNumber), "/tmp/handheld-a");
    EXPECT_EQ(api.DevicePath(second.nNumber), "/tmp/handheld-b");
    unsetenv(("GLOWDESK_COM" + std::to_string(first.nNumber)).c_str());
    unsetenv(("GLOWDESK_COM" + std::to_string(second.nNumber)).c_str());
}
#endif

TEST(PortChoice, TheOnlyPortOrAListOfThem) {
    PortSpec spec;
    EXPECT_NE(ChooseOnlyPort({}, spec), "");

    EXPECT_EQ(ChooseOnlyPort({{5, "/dev/ttyUSB0"}}, spec), "");
    EXPECT_EQ(spec.nNumber, 5u);
    EXPECT_EQ(spec.strName, "COM5");

    const std::string strError = ChooseOnlyPort({{1, "/dev/ttyS0"}, {21, "/dev/ttyACM0"}}, spec);
    EXPECT_NE(strError.find("COM1\t/dev/ttyS0"), std::string::npos) << strError;
    EXPECT_NE(strError.find("COM21\t/dev/ttyACM0"), std::string::npos) << strError;
}

TEST(PortChoice, PortNameGoesBeforeTheExtension) {
    EXPECT_EQ(FileForPort("a.ini", "COM2"), "a-COM2.ini");
    EXPECT_EQ(FileForPort("backups/set.v1.ini", "ttyUSB0"),
              (std::filesystem::path("backups") / "set.v1-ttyUSB0.ini").string());
    EXPECT_EQ(FileForPort("noext", "COM3"), "noext-COM3");
}

}  // namespace
