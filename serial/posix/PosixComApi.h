// The serial primitives over POSIX termios. A handle is the file descriptor of the
// open device. Port names are mapped to device nodes through a ComPortTable.
//
// One instance serves one thread; it keeps per-handle state (line-error counters,
// whether the device has gone away).
#pragma once

#include <map>

#include "serial/ComApi.h"
#include "serial/ComPortTable.h"
#include "serial/posix/PortFileSystem.h"
#include "serial/posix/TerminalIo.h"

class PosixComApi : public ComApi {
public:
    explicit PosixComApi(ComPortTable table = ComPortTable(),
                         PortFileSystem& fs = PortFileSystem::System(),
                         TerminalIo& io = TerminalIo::System())
        : table(table), fs(fs), io(io) {}
    ~PosixComApi() override;

    // Opens O_RDWR|O_NOCTTY|O_NONBLOCK, then TIOCEXCL and flock(LOCK_EX|LOCK_NB), and
    // asks for low latency. Reasons: missing node, no UART behind a ttyS node, not a
    // terminal -> ERROR_FILE_NOT_FOUND; EACCES/EPERM -> ERROR_ACCESS_DENIED; EBUSY or
    // the lock held elsewhere -> ERROR_SHARING_VIOLATION.
    PortHandle CreateFile(const std::string& strName) override;
    uint32_t GetLastError() override { return nLastError; }
    std::string LastErrorText() override { return strLastError; }
    // Read from the node and the kernel's description of it; nothing is opened.
    std::optional<bool> PresentWithoutOpening(const std::string& strName) override;
    bool HasGoneAway(PortHandle hPort) override;
    // Reads never wait on this platform, so only "return at once" is accepted; of the
    // write time-outs, the constant bounds every write (0: kDefaultWriteBoundMs).
    bool SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) override;
    // Raw mode, rate, data bits, parity, stop bits, XON/XOFF, no RTS/CTS; DTR and RTS
    // dropped where the driver allows it.
    bool SetCommState(PortHandle hPort, const Dcb& dcb) override;
    // Bytes queued from FIONREAD; line errors from rises of the driver's counters.
    // A device that has gone away reports 0 bytes and fails; it is let go of at once.
    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override;
    // Fails when output is still queued after the flush: some drivers cannot discard it.
    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override;
    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override;
    // Waits until the whole count has left the output queue (a real driver queues a
    // frame even while XOFF holds the line), at most the write bound in all; fails when
    // the device goes away or the bound runs out (nDone then holds what was sent).
    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override;
    // Discards queued output first; a close that could still wait for output to drain
    // runs in the background.
    bool CloseHandle(PortHandle hPort) override;
    std::string DevicePath(unsigned nPort) override { return table.Path(nPort); }
    // The descriptor, or -1 once the device has gone away (a hung-up descriptor is
    // always "ready" and would keep a watcher busy).
    int PollDescriptor(PortHandle hPort) override;
    // VMIN: the terminal reports input to poll only from that many bytes on (VTIME 0).
    // Only where settings changes stay local; elsewhere any byte wakes the poll.
    bool SetReadWakeThreshold(PortHandle hPort, int nBytes) override;
    std::optional<bool> LowLatency(PortHandle hPort) override;

    static constexpr int kDefaultWriteBoundMs = 100;

private:
    struct LineCounters {
        int nFrame = 0, nParity = 0, nOverrun = 0, nBufOverrun = 0, nBreak = 0;
    };
    struct PortState {
        bool bHasCounters = false;
        LineCounters counters;
        bool bGone = false;
        bool bOwnsExclusive = false;  // this open set the terminal's exclusive flag
        bool bLocalSettings = false;  // see SettingsChangesStayLocal
        std::optional<bool> lowLatency;
        int nWriteBoundMs = kDefaultWriteBoundMs;
    };

    PortState* Find(PortHandle hPort);
    // Marks the port gone and lets go of its device at once.
    void SetGone(int fd, PortState& state);
    // After a failed call: errno tells whether the device went away.
    void CheckGone(int fd, PortState& state);
    static bool ReadCounters(int fd, LineCounters& counters);
    PortHandle Fail(uint32_t nError, std::string strText);
    // The device node COM number nPort leads to, "" for none.
    std::string NodePath(unsigned nPort) const;

    ComPortTable table;
    PortFileSystem& fs;
    TerminalIo& io;
    uint32_t nLastError = 0;
    std::string strLastError;
    std::map<int, PortState> ports;
};
