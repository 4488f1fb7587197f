// The open port as one object: the handle, its line settings, the frame counters and
// the descriptor the front end watches for input. It is the command engine's link and
// reports its counters and the watched descriptor upward.
#pragma once

#include <string>

#include "protocol/FrameLink.h"
#include "serial/ComSettings.h"
#include "serial/PortHandle.h"
#include "serial/SerialPort.h"

class LinkListener {
public:
    virtual ~LinkListener() = default;
    // A counter changed: bReset when it went back to 0.
    virtual void OnRxCount(int nCount, bool bReset) = 0;
    virtual void OnTxCount(int nCount, bool bReset) = 0;
    // Watch descriptor nFd for input; -1: stop watching.
    virtual void OnWatchPort(int nFd) = 0;
    // The device behind the open port went away; reported once per open.
    virtual void OnPortLost() = 0;
};

class CComLink : public FrameLink {
public:
    static constexpr uint32_t kBaudRate = 57600;

    explicit CComLink(CSerialPort& serial) : serial(serial) {}
    ~CComLink() override;
    void SetListener(LinkListener* pListenerArg) { pListener = pListenerArg; }

    // Opens COM number nPort through the port's primitives: "" on success, else the
    // reason, as the trace shows it after "Could Not Open Com Port - ". bEmulation
    // only names the port in Describe().
    std::string Open(unsigned nPort, bool bEmulation);
    // Stops watching and closes; nothing when no port is open.
    void Close();
    // One line naming port, rate, data bits, stop bits and parity.
    std::string Describe();
    void FlushReceive();
    // Real ports only: the emulated Handheld never answers late.
    void DiscardInput() override;
    bool IsFrameLeftQueued() const override { return bStalled && serial.IsFrameLeftQueued(); }
    // Whether low latency was granted at open; nothing where there is no such setting.
    std::optional<bool> LowLatency() { return serial.LowLatency(hComPort); }

    bool IsOpen() const override { return hComPort != kNullHandle; }
    int Write(const uint8_t* pBytes, int nCount) override;
    int BytesWaiting() override;
    int Read(uint8_t* pBuf, int nSize) override;
    void ExpectBytes(int nBytes) override;
    void AddTxCount(int n) override;
    void AddRxCount(int n) override;
    void ResetRxCount();
    void ResetTxCount();
    int RxCount() const { return nRxCount; }
    // The last frame written was not taken whole: the line is stopped or gone.
    bool IsStalled() const { return bStalled; }
    int TxCount() const { return nTxCount; }

    // The descriptor of the open port, or -1 where the primitives have none.
    int ComPortDescriptor();
    // Asks for descriptor nFd to be watched (-1: stop), once per change.
    void WatchComPort(int nFd);
    bool IsWatching() const { return nWatchedFd >= 0; }
    bool IsEmulation() const { return serial.IsEmulation(); }
    // Asks whether the device behind the open port has gone away and reports it the
    // first time. Called when a poll found nothing to read: the cheap case stays cheap.
    void CheckGoneAway();
    // The device behind the open port went away (reported by CheckGoneAway).
    bool IsLost() const { return IsOpen() && bGoneAway; }
    PortHandle Handle() const { return hComPort; }

private:
    CSerialPort& serial;
    LinkListener* pListener = nullptr;
    PortHandle hComPort = kNullHandle;
    ComSettings comSettings;
    int32_t nRxCount = 0;
    int32_t nTxCount = 0;
    int nWatchedFd = -1;
    int nExpected = 1;       // the wake threshold last asked of the port
    bool bGoneAway = false;  // reported for the open port
    bool bStalled = false;
};
