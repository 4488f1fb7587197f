// The program's only way to the Handheld: finds COM ports, opens one with fixed line
// settings and moves bytes, over whichever primitives it is given: the platform's, or
// the emulated Handheld's (CEmulatedComApi).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "serial/ComApi.h"
#include "serial/ComSettings.h"
#include "serial/PortHandle.h"

// The highest number Open takes: the Windows port name carries two digits at most.
constexpr unsigned kMaxOpenPort = 99;

class CSerialPort {
public:
    explicit CSerialPort(ComApi& api) : api(api) {}

    // Fills the list with the numbers (1-255) of the ports present; returns their count.
    int EnumeratePorts(std::vector<unsigned>& aPorts);
    // Always 1. bEmu only names the port "ComEmu" in the description.
    int InitLineSettings(ComSettings& settings, unsigned nPort, uint32_t nBaud, uint8_t bEmu);
    // One line naming port, rate, data bits, stop bits and parity.
    const char* DescribeSettings(ComSettings settings);
    // "" on success, a message on failure, nullptr for a port number outside 1-99.
    const char* Open(PortHandle& hPort, ComSettings settings);
    int Close(PortHandle& hPort);
    int BytesWaiting(PortHandle& hPort);
    int FlushReceive(PortHandle& hPort);
    int PurgeTransmit(PortHandle& hPort);
    // The bytes the port took. A frame it does not take whole within kWriteBoundMs is
    // given up and its rest discarded, so the caller's thread never waits longer and no
    // fragment goes out later.
    int Write(PortHandle& hPort, const uint8_t* pBytes, int nCount);
    int Read(PortHandle& hPort, uint8_t* pBuf, int nSize);

    std::string DevicePath(unsigned nPort) { return api.DevicePath(nPort); }
    int PollDescriptor(PortHandle hPort) { return api.PollDescriptor(hPort); }
    // See ComApi::SetReadWakeThreshold.
    void SetReadWakeThreshold(PortHandle hPort, int nBytes) {
        if (hPort != kNullHandle && hPort != kInvalidHandle)
            api.SetReadWakeThreshold(hPort, nBytes);
    }
    // The frame the last Write gave up is still queued: the driver could not discard it.
    bool IsFrameLeftQueued() const { return bFrameLeftQueued; }
    // See ComApi::LowLatency.
    std::optional<bool> LowLatency(PortHandle hPort) {
        if (hPort == kNullHandle || hPort == kInvalidHandle)
            return std::nullopt;
        return api.LowLatency(hPort);
    }
    // The device behind an open port has gone away.
    bool HasGoneAway(PortHandle hPort) {
        return hPort != kNullHandle && hPort != kInvalidHandle && api.HasGoneAway(hPort);
    }
    bool IsEmulation() const { return bEmulation != 0; }

    // Longest wait of a write (WriteTotalTimeoutConstant): a stopped line (XOFF, an
    // adapter that takes nothing) must not freeze the window.
    static constexpr uint32_t kWriteBoundMs = 100;

private:
    ComApi& api;
    uint8_t bEmulation = 0;
    bool bFrameLeftQueued = false;
    std::string strOpenResult;
    std::string strDescription;
};
