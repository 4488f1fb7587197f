// The presence decision over what was read about a node, one kind of node per case.
#include "serial/PortPresence.h"

#include <gtest/gtest.h>

namespace {

PortNodeFacts KernelTty(const std::string& strName, bool bDevice, std::optional<long> nType) {
    PortNodeFacts facts;
    facts.strName = strName;
    facts.bExists = true;
    facts.bCharDevice = true;
    facts.bKernelTty = true;
    facts.bHasDevice = bDevice;
    facts.nUartType = nType;
    return facts;
}

PortNodeFacts Legacy(const std::string& strName, std::optional<long> nType) {
    PortNodeFacts facts = KernelTty(strName, true, nType);
    facts.bLegacyPlatformDevice = true;
    return facts;
}

TEST(PortPresenceTest, EachKindOfNode) {
    const struct {
        const char* pszCase;
        PortNodeFacts facts;
        bool bPresent;
    } aCases[] = {
        {"usb-serial adapter, type never set", KernelTty("ttyUSB0", true, 0), true},
        {"cdc-acm device, no type attribute", KernelTty("ttyACM0", true, std::nullopt), true},
        {"cdc-acm device, type 0", KernelTty("ttyACM0", true, 0), true},
        {"on-board UART found", KernelTty("ttyS0", true, 4), true},
        {"on-board UART node without a chip", KernelTty("ttyS1", true, 0), false},
        {"UART node, type unreadable", KernelTty("ttyS2", true, std::nullopt), true},
        {"terminal without hardware behind it", KernelTty("ttyUSB3", false, std::nullopt), false},
        {"name merely starting like a UART node", KernelTty("ttySAC0", true, 0), true},
        {"legacy placeholder, type unreadable", Legacy("ttyS0", std::nullopt), false},
        {"chip at a legacy address", Legacy("ttyS0", 4), true},
        {"legacy placeholder, type readable", Legacy("ttyS0", 0), false},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(IsPortPresent(c.facts), c.bPresent) << c.pszCase;
}

TEST(PortPresenceTest, NodesOutsideTheKernelsTerminalListCountWhenTheyExist) {
    PortNodeFacts pty;
    pty.strName = "3";
    pty.bExists = true;
    pty.bCharDevice = true;
    EXPECT_TRUE(IsPortPresent(pty));

    PortNodeFacts file = pty;
    file.bCharDevice = false;  // a plain file is no port, whatever it is called
    EXPECT_FALSE(IsPortPresent(file));

    PortNodeFacts missing;  // also what a dangling link reads as
    EXPECT_FALSE(IsPortPresent(missing));
}

TEST(PortPresenceTest, SettingsChangesStayLocalOnlyOffUsb) {
    PortNodeFacts pty;
    pty.strName = "3";
    pty.bPseudoTerminal = true;
    EXPECT_TRUE(SettingsChangesStayLocal(pty));
    EXPECT_TRUE(SettingsChangesStayLocal(KernelTty("ttyS0", true, 4)));
    EXPECT_TRUE(SettingsChangesStayLocal(KernelTty("ttyAMA0", true, 0)));
    EXPECT_FALSE(SettingsChangesStayLocal(KernelTty("ttyUSB0", true, 0)));
    EXPECT_FALSE(SettingsChangesStayLocal(KernelTty("ttyACM0", true, 0)));
}

TEST(PortPresenceTest, UartNodeNames) {
    EXPECT_TRUE(IsUartNodeName("ttyS0"));
    EXPECT_TRUE(IsUartNodeName("ttyS31"));
    EXPECT_FALSE(IsUartNodeName("ttyS"));
    EXPECT_FALSE(IsUartNodeName("ttyUSB0"));
    EXPECT_FALSE(IsUartNodeName("ttySAC0"));
    EXPECT_FALSE(IsUartNodeName("ttyS0x"));
}

}  // namespace
