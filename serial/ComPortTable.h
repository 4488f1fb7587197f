// Where a COM number leads on a machine without COM names: a fixed table of device
// nodes, and for any number 1-255 an override GLOWDESK_COM<n>=<device path> in the
// environment, which wins over the table. (The port box lists only 1-99, the numbers
// the port's open takes.)
//
//   COM1-COM4   -> /dev/ttyS0-/dev/ttyS3
//   COM5-COM20  -> /dev/ttyUSB0-/dev/ttyUSB15
//   COM21-COM36 -> /dev/ttyACM0-/dev/ttyACM15
//   COM37-COM40 -> /dev/ttyAMA0-/dev/ttyAMA3
#pragma once

#include <string>

constexpr unsigned kMaxComNumber = 255;

class ComPortTable {
public:
    // bUseDefaults false: only the overrides lead anywhere. Tests and embedders use it
    // so that probing the ports never touches a real device node.
    explicit ComPortTable(bool bUseDefaults = true) : bUseDefaults(bUseDefaults) {}

    // The device path of COM number nPort, or "" when it leads nowhere.
    std::string Path(unsigned nPort) const;
    // The node of the fixed table alone, or "".
    static std::string DefaultPath(unsigned nPort);
    // The override from the environment, or "".
    static std::string OverridePath(unsigned nPort);

private:
    bool bUseDefaults;
};

// The number in a port name "\\.\COM7" or "\\.\COM07" (the prefix is optional, the
// letters may be lower case); 0 for anything else or a number outside 1-255.
unsigned ComNumberFromName(const std::string& strName);
