// The port as the command engine needs it: bytes out, bytes in, and the frame counters.
// The serial layer above implements it; tests may give their own.
#pragma once

#include <cstdint>

class FrameLink {
public:
    virtual ~FrameLink() = default;
    virtual bool IsOpen() const = 0;
    virtual int Write(const uint8_t* pBytes, int nCount) = 0;
    virtual int BytesWaiting() = 0;
    virtual int Read(uint8_t* pBuf, int nSize) = 0;
    // Nothing can be done with the input before nBytes more have arrived: a watch of
    // the port need not report it sooner (1: report any byte).
    virtual void ExpectBytes(int /*nBytes*/) {}
    // Drops input that is already waiting: before an operation's first request it can
    // only be a reply to an earlier one.
    virtual void DiscardInput() {}
    // The last frame given up is still queued in the driver, which could not discard
    // it: it may yet reach the device.
    virtual bool IsFrameLeftQueued() const { return false; }
    // Frames sent, and replies taken (what the Rx counter shows).
    virtual void AddTxCount(int n) = 0;
    virtual void AddRxCount(int n) = 0;
};
