// The calls into the terminal driver whose cost or waiting differs between a
// pseudo-terminal and a real adapter: settings changes (a synchronous USB transfer on
// many adapters), the output queue, the clock of the write bound, and the close, which
// the kernel may hold for up to 30 s while output is queued. Tests count and steer them.
#pragma once

#include <termios.h>

#include <chrono>
#include <optional>

class TerminalIo {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~TerminalIo() = default;
    // The machine's own driver calls.
    static TerminalIo& System();

    virtual int GetAttr(int fd, termios& tio);
    // tcsetattr(TCSANOW).
    virtual int SetAttr(int fd, const termios& tio);
    // Bytes written but not yet sent on the line (TIOCOUTQ); -1 when the driver cannot say.
    virtual int OutputQueued(int fd);
    // tcflush(nQueue).
    virtual int Flush(int fd, int nQueue);
    // Waits up to nMs for room to write; false on time-out. A hang-up counts as ready.
    virtual bool WaitWritable(int fd, int nMs);
    // Waits nMs while queued output drains.
    virtual void Pause(int nMs);
    virtual Clock::time_point Now();
    // Asks the adapter to pass short input on at once (ASYNC_LOW_LATENCY): true when
    // granted, false when refused, nothing where the driver has no such setting.
    virtual std::optional<bool> RequestLowLatency(int fd);
    // Closes the descriptor; with bMayWait the close runs on a thread of its own, so a
    // driver that waits for queued output to drain holds only that thread.
    virtual void Close(int fd, bool bMayWait);
    // Lets go of the device behind fd at once while the number stays taken (it then
    // refers to nothing), so a hung-up device node is freed for a re-plugged adapter.
    virtual void Release(int fd);
};
