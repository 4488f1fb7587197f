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
    // The device behind it is the serial8250 platform device, which holds the legacy
    // COM1-4 placeholders (and chips found only by probing the legacy addresses).
    bool bLegacyPlatformDevice = false;
    bool bPseudoTerminal = false;  // the node lives under /dev/pts
    std::string strGroup;          // the group owning the node, "" when unknown
};

// A character device that exists counts as present. One the kernel describes under
// /sys/class/tty must also have a device behind it, and must not be a UART placeholder.
// Access rights play no part: a port the user may not open is still there.
bool IsPortPresent(const PortNodeFacts& facts);

// An on-board UART node (ttyS) without a chip: its type is 0 ("unknown": no chip
// answered) or, where only root may read the type (kernels before 2020), its device is
// the legacy platform device. USB-serial and CDC-ACM drivers never set a type, so the
// type says nothing about their nodes.
bool IsUartPlaceholder(const PortNodeFacts& facts);

// Whether changing the node's terminal settings stays inside this machine (a
// pseudo-terminal, an on-board UART). On USB adapters every change is a synchronous
// control transfer to the adapter, so it is not worth making per exchange.
bool SettingsChangesStayLocal(const PortNodeFacts& facts);

// "ttyS" followed by digits: the node of an on-board UART of the serial core, where a
// node exists for every possible chip, found or not.
bool IsUartNodeName(const std::string& strName);
