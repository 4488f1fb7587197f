#include "serial/win32/Win32PortName.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct NameCase {
    const char* szGiven;
    const char* szOpened;
};

// The port logic probes "\\.\COM05" and opens "COM07"; Windows knows only "\\.\COMn".
TEST(Win32PortName, EveryComNameLeadsToThePrefixedDevice) {
    const NameCase aCases[] = {
        {"\\\\.\\COM1", "\\\\.\\COM1"},   {"\\\\.\\COM05", "\\\\.\\COM5"},
        {"\\\\.\\COM10", "\\\\.\\COM10"}, {"\\\\.\\COM255", "\\\\.\\COM255"},
        {"COM3", "\\\\.\\COM3"},          {"COM07", "\\\\.\\COM7"},
        {"COM99", "\\\\.\\COM99"},        {"com12", "\\\\.\\COM12"},
        {"\\\\.\\COM007", "\\\\.\\COM7"},
    };
    for (const NameCase& c : aCases) {
        EXPECT_EQ(Win32DeviceName(c.szGiven), c.szOpened) << c.szGiven;
    }
}

// The system's list may hold other devices' names, and each name once per device.
TEST(Win32PortName, PortsFromTheSystemsList) {
    EXPECT_EQ(PortsFromNames({"COM10", "COM3", "\\\\.\\COM4", "LPT1", "COM3", "COM0", "COM256"}),
              (std::vector<unsigned>{3, 4, 10}));
    EXPECT_TRUE(PortsFromNames({}).empty());
}

TEST(Win32PortName, OtherNamesPassUnchanged) {
    const char* aNames[] = {"",     "COM",  "COM0",       "\\\\.\\COM00",       "COM1x",
                            "COMX", "LPT1", "\\\\.\\COM", "C:\\data\\COM5.txt", "COM12345678901"};
    for (const char* szName : aNames) {
        EXPECT_EQ(Win32DeviceName(szName), szName) << szName;
    }
}
}  // namespace
