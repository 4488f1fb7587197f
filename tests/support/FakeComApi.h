// Serial primitives for tests: a machine whose ports answer the open as each test
// says (present, access denied, general failure, sharing violation, semaphore
// time-out, absent), with bytes queued for reading, line errors reported once, calls
// recorded and failures of single primitives on demand.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "serial/ComApi.h"

class FakeComApi : public ComApi {
public:
    enum class Port { Absent, Present, AccessDenied, GenFailure, SharingViolation, SemTimeout };

    // How the open of COM number nPort turns out; every other number is absent.
    void SetPort(unsigned nPort, Port port) { mapPorts[nPort] = port; }
    // Bytes the port has received, read in order by ReadFile.
    void QueueRx(const std::string& strBytes) {
        acRx.insert(acRx.end(), strBytes.begin(), strBytes.end());
    }
    // Line-error flags (CE_...) that the next ClearCommError reports, once.
    void InjectLineError(uint32_t nErrors) { nPendingErrors |= nErrors; }
    std::string Written() const { return strWritten; }
    size_t RxLeft() const { return acRx.size(); }
    bool IsOpen(PortHandle hPort) const { return setOpen.count(hPort) != 0; }

    PortHandle CreateFile(const std::string& strName) override;
    uint32_t GetLastError() override { return nLastError; }
    bool SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) override;
    bool SetCommState(PortHandle hPort, const Dcb& dcb) override;
    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override;
    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override;
    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override;
    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override;
    bool CloseHandle(PortHandle hPort) override;
    std::string DevicePath(unsigned nPort) override;

    // Every call, one line each: "CreateFile \\.\COM05", "SetCommState", "PurgeComm 10",
    // "ReadFile 1", "WriteFile 6", "CloseHandle", ...
    std::vector<std::string> aCalls;
    // How many recorded calls begin with strPrefix.
    int CountCalls(const std::string& strPrefix) const;

    // Failures on demand.
    bool bFailSetCommTimeouts = false;
    bool bFailSetCommState = false;
    bool bFailPurgeComm = false;
    bool bFailReadFile = false;
    bool bFailWriteFile = false;
    bool bFailCloseHandle = false;
    // ReadFile delivers at most this many bytes however many were asked for.
    uint32_t nReadLimit = 0xFFFFFFFF;

    Dcb lastDcb;
    CommTimeouts lastTimeouts;

private:
    bool Known(PortHandle hPort) const { return setOpen.count(hPort) != 0; }

    std::map<unsigned, Port> mapPorts;
    std::set<PortHandle> setOpen;
    PortHandle hNext = 100;
    uint32_t nLastError = 0;
    std::deque<uint8_t> acRx;
    uint32_t nPendingErrors = 0;
    std::string strWritten;
};
