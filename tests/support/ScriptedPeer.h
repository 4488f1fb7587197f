// A serial line whose far end is the test: frames the program writes are recorded,
// and the bytes it reads are queued by the test or by a responder called on every
// written frame. Ports present are chosen by number; everything else is absent.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "serial/ComApi.h"

class ScriptedPeer : public ComApi {
public:
    static constexpr PortHandle kHandle = 0x55;

    // Answer to one written frame (empty: no answer).
    using Responder = std::function<std::string(const std::string& strFrame)>;

    PortHandle CreateFile(const std::string& strName) override;
    uint32_t GetLastError() override { return nLastError; }
    bool SetCommTimeouts(PortHandle, const CommTimeouts&) override { return bTimeoutsOk; }
    bool SetCommState(PortHandle, const Dcb&) override { return bStateOk; }
    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override;
    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override;
    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override;
    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override;
    bool CloseHandle(PortHandle hPort) override;
    // A descriptor the window may watch while the port is open (-1: none).
    int PollDescriptor(PortHandle hPort) override { return hPort == kHandle ? nPollFd : -1; }
    std::string DevicePath(unsigned nPort) override {
        return "/dev/scripted" + std::to_string(nPort);
    }
    bool HasGoneAway(PortHandle) override { return bGone; }
    std::optional<bool> LowLatency(PortHandle) override { return lowLatency; }

    // Bytes the program will read next.
    void Queue(const std::string& strBytes) { strRx += strBytes; }

    std::set<unsigned> aPresent{3};  // COM numbers that open
    std::set<unsigned> aBusy;        // COM numbers that exist but refuse (access denied)
    bool bTimeoutsOk = true;
    bool bStateOk = true;
    bool bReadYieldsNothing = false;  // reports bytes waiting, but a read gives none
    bool bGone = false;               // the device behind the open port went away
    std::optional<bool> lowLatency;   // what the adapter granted at open
    int nPollFd = -1;                 // what PollDescriptor gives for the open port
    Responder responder;

    std::string strRx;                  // not yet read by the program
    std::vector<std::string> aWritten;  // every frame written, as given
    int nOpen = 0;                      // handles open now
    int nReads = 0;                     // ReadFile calls

private:
    uint32_t nLastError = 0;
};
