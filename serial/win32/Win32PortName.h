// The device a COM port name leads to on Windows.
#pragma once

#include <string>
#include <vector>

// The port logic names ports 5 and up with two digits ("\\.\COM05", "COM07") and names
// ports without the device prefix when it opens them. Windows knows neither "COM05" nor,
// from 10 up, "COM10" without the prefix, so every "COMn" name, with or without the
// prefix and with any leading zeros, is opened as "\\.\COMn". Other names pass unchanged.
std::string Win32DeviceName(const std::string& strName);

// The COM numbers among the port names the system lists (the values of
// HARDWARE\DEVICEMAP\SERIALCOMM: "COM3", ...), in rising order, each once.
std::vector<unsigned> PortsFromNames(const std::vector<std::string>& aNames);
