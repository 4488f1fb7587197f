// Device nodes exist only on POSIX systems.
#ifndef _WIN32
// Port discovery over a /dev and /sys tree of the test's own: what is listed for each
// kind of node, that nothing is opened to find out, and how the open of those nodes
// turns out and says why it failed.
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "serial/posix/PosixComApi.h"
#include "tests/support/TestDoubles.h"

namespace fs = std::filesystem;

namespace {

// A plain file with only the sticky bit among its mode bits stands in for a character
// device node, since making real ones needs privileges; the mode is read by stat alone,
// so it also stands for a node without rights. Opens are counted, and may be redirected
// to another node or fail as told.
class TreeFileSystem : public PortFileSystem {
public:
    TreeFileSystem(const fs::path& root)
        : PortFileSystem((root / "dev").string(), (root / "sys").string()) {}

    int OpenNode(const std::string& strPath, int nFlags) override {
        ++nOpens;
        const auto itErr = mapErrors.find(strPath);
        if (itErr != mapErrors.end()) {
            errno = itErr->second;
            return -1;
        }
        const auto itTo = mapRedirect.find(strPath);
        return PortFileSystem::OpenNode(itTo == mapRedirect.end() ? strPath : itTo->second, nFlags);
    }

    // The group owning a node, as another system names it.
    PortNodeFacts Facts(const std::string& strPath) const override {
        PortNodeFacts facts = PortFileSystem::Facts(strPath);
        const auto it = mapGroups.find(strPath);
        if (it != mapGroups.end())
            facts.strGroup = it->second;
        return facts;
    }

    int nOpens = 0;
    std::map<std::string, int> mapErrors;
    std::map<std::string, std::string> mapRedirect;
    std::map<std::string, std::string> mapGroups;

protected:
    NodeStat StatNode(const std::string& strPath) const override {
        NodeStat st = PortFileSystem::StatNode(strPath);
        struct stat info {};
        if (st.bExists && stat(strPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            (info.st_mode & S_ISVTX))
            st.bCharDevice = true;
        return st;
    }
};

class PortDiscoveryTest : public testing::Test {
protected:
    void SetUp() override {
        char szRoot[] = "/tmp/glowdesk_ports_XXXXXX";
        ASSERT_NE(mkdtemp(szRoot), nullptr);
        root = szRoot;
        fs::create_directories(root / "dev/serial/by-id");
        fs::create_directories(root / "sys/class/tty");
        pTreeFs = std::make_unique<TreeFileSystem>(root);
        pApi = std::make_unique<PosixComApi>(ComPortTable(), *pTreeFs);
        pSerial = std::make_unique<CSerialPort>(*pApi);
    }
    void TearDown() override {
        for (unsigned nPort : aOverrides)
            unsetenv(("GLOWDESK_COM" + std::to_string(nPort)).c_str());
        if (fdPeer >= 0)
            close(fdPeer);
        fs::remove_all(root);
    }

    // A device node; bNoRights: no one may read or write it.
    std::string Node(const std::string& strName, bool bNoRights = false) {
        const fs::path path = root / "dev" / strName;
        std::ofstream(path).put('\n');
        chmod(path.c_str(), bNoRights ? S_ISVTX : (S_ISVTX | 0666));
        return path.string();
    }
    // The kernel's description of a terminal: a device behind it or not, a UART type.
    void Tty(const std::string& strName, bool bDevice, std::optional<long> nType) {
        const fs::path dir = root / "sys/class/tty" / strName;
        fs::create_directories(dir);
        if (bDevice)
            fs::create_directories(dir / "device");
        if (nType)
            std::ofstream(dir / "type") << *nType << "\n";
    }
    // A terminal whose device is the platform device strDevice; its type only root reads.
    void PlatformTty(const std::string& strName, const std::string& strDevice,
                     std::optional<long> nType = std::nullopt) {
        const fs::path device = root / "sys/devices/platform" / strDevice;
        fs::create_directories(device);
        Tty(strName, false, nType);
        fs::create_directory_symlink(device, root / "sys/class/tty" / strName / "device");
    }
    std::string Link(const std::string& strName, const std::string& strTarget) {
        const fs::path path = root / "dev" / strName;
        fs::create_symlink(strTarget, path);
        return path.string();
    }
    void Override(unsigned nPort, const std::string& strPath) {
        setenv(("GLOWDESK_COM" + std::to_string(nPort)).c_str(), strPath.c_str(), 1);
        aOverrides.push_back(nPort);
    }
    std::string PtyPath() {
        int fdTerminal = -1;
        EXPECT_EQ(openpty(&fdPeer, &fdTerminal, nullptr, nullptr, nullptr), 0);
        char szName[128] = {};
        EXPECT_EQ(ttyname_r(fdTerminal, szName, sizeof szName), 0);
        close(fdTerminal);
        return szName;
    }
    std::vector<unsigned> Enumerate() {
        std::vector<unsigned> aPorts;
        pSerial->EnumeratePorts(aPorts);
        return aPorts;
    }
    std::string Open(unsigned nPort) {
        serial().InitLineSettings(settings, nPort, 57600, 0);
        const char* psz = serial().Open(hPort, settings);
        return psz ? psz : "<null>";
    }
    CSerialPort& serial() { return *pSerial; }

    fs::path root;
    std::vector<unsigned> aOverrides;
    int fdPeer = -1;
    RecordingWaiter waiter;
    NullDebugSink debug;
    std::unique_ptr<TreeFileSystem> pTreeFs;
    std::unique_ptr<PosixComApi> pApi;
    std::unique_ptr<CSerialPort> pSerial;
    ComSettings settings;
    PortHandle hPort = kNullHandle;
};

TEST_F(PortDiscoveryTest, ListsWhatTheKernelDescribesWithoutOpeningAnything) {
    Node("ttyS0");  // COM1: a UART answered
    Tty("ttyS0", true, 4);
    Node("ttyS1");  // COM2: no chip behind the node
    Tty("ttyS1", true, 0);
    Node("ttyS2");  // COM3: the kernel knows no device behind it
    Tty("ttyS2", false, std::nullopt);
    // COM4: no node at all
    Node("ttyUSB0");  // COM5: a USB adapter, whose driver never sets a type
    Tty("ttyUSB0", true, 0);
    Node("ttyUSB1", true);  // COM6: one the user may not open
    Tty("ttyUSB1", true, std::nullopt);
    Node("ttyACM0");  // COM21
    Tty("ttyACM0", true, std::nullopt);
    Node("ttyAMA0");  // COM37: a node without /sys (another system): it exists
    Override(50, Link("serial/by-id/usb-Handheld-if00", "../../ttyUSB0"));
    Override(51, Link("serial/by-id/usb-Unplugged-if00", "../../ttyUSB9"));
    Override(52, PtyPath());
    Override(53, (root / "plain-file").string());
    std::ofstream(root / "plain-file") << "not a device\n";
    Override(4, "/nonexistent/node");  // an override wins over the table

    EXPECT_EQ(Enumerate(), (std::vector<unsigned>{1, 5, 6, 21, 37, 50, 52}));
    EXPECT_EQ(pTreeFs->nOpens, 0);
    // The tool tip still shows where a number leads on a real machine.
    EXPECT_EQ(serial().DevicePath(5), "/dev/ttyUSB0");
}

// Older kernels let only root read a UART's type: the legacy placeholders are then
// told by their device, whatever name leads to them.
TEST_F(PortDiscoveryTest, UartPlaceholdersAreAbsentHoweverTheyAreReached) {
    Node("ttyS0");  // COM1: a legacy placeholder
    PlatformTty("ttyS0", "serial8250");
    Node("ttyS1");  // COM2: a UART the firmware describes
    PlatformTty("ttyS1", "00:04");
    Node("ttyS2");  // COM3: a chip found at a legacy address, type readable
    PlatformTty("ttyS2", "serial8250", 4);
    Node("ttyS3");  // COM4: no chip, type readable
    Tty("ttyS3", true, 0);
    Node("ttyUSB0");
    Tty("ttyUSB0", true, 0);
    Override(54, Link("serial/by-id/pci-legacy", "../../ttyS0"));
    Override(55, Link("handheld", "ttyS3"));
    Override(56, Link("serial/by-id/usb-Handheld-if00", "../../ttyUSB0"));

    EXPECT_EQ(Enumerate(), (std::vector<unsigned>{2, 3, 5, 56}));
    for (unsigned nPort : {1u, 54u, 55u})
        EXPECT_NE(Open(nPort).find(": no UART behind this port"), std::string::npos) << nPort;
    EXPECT_EQ(pTreeFs->nOpens, 0);
}

TEST_F(PortDiscoveryTest, NodesThatComeAndGoBetweenTwoEnumerations) {
    EXPECT_TRUE(Enumerate().empty());
    Node("ttyACM0");
    Tty("ttyACM0", true, std::nullopt);
    EXPECT_EQ(Enumerate(), std::vector<unsigned>{21});
    fs::remove(root / "dev/ttyACM0");
    EXPECT_TRUE(Enumerate().empty());
    EXPECT_EQ(pTreeFs->nOpens, 0);
}

TEST_F(PortDiscoveryTest, UsbPortsOpenAndUartNodesWithoutAChipDoNot) {
    const std::string strUsb = Node("ttyUSB0");
    Tty("ttyUSB0", true, 0);
    const std::string strNoUart = Node("ttyS1");
    Tty("ttyS1", true, 0);
    // The adapter's node leads to a pseudo-terminal: the open runs for real.
    pTreeFs->mapRedirect[strUsb] = PtyPath();

    EXPECT_EQ(Open(5), "");
    EXPECT_GT(hPort, 0);
    EXPECT_EQ(serial().Close(hPort), 1);
    hPort = kNullHandle;

    const int nOpensBefore = pTreeFs->nOpens;
    EXPECT_EQ(Open(2), strNoUart + ": no UART behind this port");
    EXPECT_EQ(hPort, kInvalidHandle);
    EXPECT_EQ(pTreeFs->nOpens, nOpensBefore);  // refused without touching the node
}

TEST_F(PortDiscoveryTest, FailedOpensSayWhy) {
    const std::string strDenied = Node("ttyUSB0");
    Tty("ttyUSB0", true, std::nullopt);
    const std::string strBusy = Node("ttyUSB1");
    Tty("ttyUSB1", true, std::nullopt);
    pTreeFs->mapErrors[strDenied] = EACCES;
    pTreeFs->mapErrors[strBusy] = EBUSY;

    for (const char* pszGroup : {"dialout", "uucp"}) {
        pTreeFs->mapGroups[strDenied] = pszGroup;
        EXPECT_EQ(Open(5), strDenied + ": Permission denied (the user needs to be in the " +
                               pszGroup + " group)");
    }
    pTreeFs->mapGroups[strDenied] = "root";
    EXPECT_EQ(Open(5), strDenied + ": Permission denied (only its owner may open it)");
    EXPECT_EQ(pApi->GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(6), strBusy + ": Device or resource busy (in use by another program)");
    EXPECT_EQ(pApi->GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(7), (root / "dev/ttyUSB2").string() + ": No such file or directory");
    EXPECT_EQ(pApi->GetLastError(), ERROR_FILE_NOT_FOUND);

    // The stand-in is a plain file, not a terminal.
    pTreeFs->mapErrors.clear();
    EXPECT_EQ(Open(5), strDenied + ": not a serial port");
}

}  // namespace

#endif  // _WIN32
