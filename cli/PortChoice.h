// Which port a -p value means, and which port to use when none is given.
#pragma once

#include <string>
#include <vector>

class ComApi;

struct PortSpec {
    unsigned nNumber = 0;  // the COM number the link opens
    std::string strPath;   // a device path given instead of a number
    std::string strName;   // how the port is named in output and file names
};

struct FoundPort {
    unsigned nNumber = 0;
    std::string strDevice;
};

// "COMn" (any case, also with the "\\.\" prefix), a number, or a device path.
// Numbers must lie in 1-99, the ports the program can open. "" on success.
std::string ParsePortSpec(const std::string& strValue, PortSpec& spec);

// Gives a device path a COM number: one that already leads there, or else a free one
// whose override (GLOWDESK_COM<n>) is set for this process. "" on success.
std::string BindPortPath(PortSpec& spec, ComApi& api);

// The ports present, in rising order, with the device each leads to.
std::vector<FoundPort> FindPorts(ComApi& api);

// The only port found; otherwise an error that lists what was found.
std::string ChooseOnlyPort(const std::vector<FoundPort>& aFound, PortSpec& spec);

// FILE with the port's name put before the extension: "a.ini", "COM2" -> "a-COM2.ini".
std::string FileForPort(const std::string& strFile, const std::string& strPortName);
