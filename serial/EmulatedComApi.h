// The emulated Handheld as a serial port: every name opens it, what is written is a
// request it answers, and its answers are the port's input. Chosen in place of the
// platform's primitives, so the port, the link and the counters above do not know
// which one they talk to.
#pragma once

#include "serial/ComApi.h"
#include "serial/ComEmulator.h"

class CEmulatedComApi : public ComApi {
public:
    explicit CEmulatedComApi(CComEmulator& emulator) : emulator(emulator) {}

    // Opening empties the answer queue; the first open loads the factory contents.
    PortHandle CreateFile(const std::string& strName) override;
    uint32_t GetLastError() override { return 0; }
    bool SetCommTimeouts(PortHandle, const CommTimeouts&) override { return true; }
    bool SetCommState(PortHandle, const Dcb&) override { return true; }
    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override;
    // Discarding input empties the answer queue; nothing waits for output.
    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override;
    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override;
    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override;
    // The Handheld keeps its EEPROM image.
    bool CloseHandle(PortHandle hPort) override { return hPort == kHandle; }
    std::string DevicePath(unsigned) override { return {}; }

    // The one handle the emulated Handheld is opened under.
    static constexpr PortHandle kHandle = 1;

private:
    CComEmulator& emulator;
};
