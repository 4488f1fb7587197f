// Whether a serial device node counts as present, decided from what was read about it
// without opening it: opening a terminal raises DTR and RTS, which resets some boards
// and disturbs modems and consoles.
#pragma once

#include <optional>
#include <string>

// What was read about one node. The node is the path after following symbolic links
// (a /dev/serial/by-id/... link leads to its ttyUSB or ttyACM node).
struct PortNodeFacts {
    std::string strName;            // the node's own name, "ttyUSB0"; "" when it does not exist
    bool bExists = false;           // stat, following links, succeeded (false for a dangling link)
    bool bCharDevice = false;       // and found a character device
    bool bKernelTty = false;        // the kernel describes it: /sys/class/tty/<name> exists
    bool bHasDevice = false;        // /sys/class/tty/<name>/device exists: hardware is behind it
    std::optional<long> nUartType;  // /sys/class/tty/<name>/type, when it could be read
};

// A character device that exists counts as present. One the kernel describes under
// /sys/class/tty must also have a device behind it, and an on-board UART node (ttyS)
// must have a UART type other than 0 ("unknown": no chip answered). USB-serial and
// CDC-ACM drivers never set a type, so the type says nothing about their nodes.
// Access rights play no part: a port the user may not open is still there.
bool IsPortPresent(const PortNodeFacts& facts);

// "ttyS" followed by digits: the node of an on-board UART of the serial core, where a
// node exists for every possible chip, found or not.
bool IsUartNodeName(const std::string& strName);
