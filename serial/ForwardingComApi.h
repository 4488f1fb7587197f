// A ComApi that passes every call on to another one. Whatever wraps a port (a gate, a
// counter, a test's proxy) derives from it and overrides only what it changes, so no
// call of the interface is ever dropped on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "serial/ComApi.h"

class CForwardingComApi : public ComApi {
public:
    explicit CForwardingComApi(ComApi& target) : pTarget(&target) {}
    void SetTarget(ComApi& target) { pTarget = &target; }
    ComApi& Target() const { return *pTarget; }

    PortHandle CreateFile(const std::string& strName) override {
        return pTarget->CreateFile(strName);
    }
    uint32_t GetLastError() override { return pTarget->GetLastError(); }
    bool SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) override {
        return pTarget->SetCommTimeouts(hPort, timeouts);
    }
    bool SetCommState(PortHandle hPort, const Dcb& dcb) override {
        return pTarget->SetCommState(hPort, dcb);
    }
    bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) override {
        return pTarget->ClearCommError(hPort, nErrors, nInQueue);
    }
    bool PurgeComm(PortHandle hPort, uint32_t nFlags) override {
        return pTarget->PurgeComm(hPort, nFlags);
    }
    bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override {
        return pTarget->ReadFile(hPort, pBuf, nCount, nDone);
    }
    bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                   uint32_t& nDone) override {
        return pTarget->WriteFile(hPort, pBuf, nCount, nDone);
    }
    bool CloseHandle(PortHandle hPort) override { return pTarget->CloseHandle(hPort); }
    std::string DevicePath(unsigned nPort) override { return pTarget->DevicePath(nPort); }
    int PollDescriptor(PortHandle hPort) override { return pTarget->PollDescriptor(hPort); }
    std::optional<std::vector<unsigned>> ListPorts() override { return pTarget->ListPorts(); }
    std::optional<bool> PresentWithoutOpening(const std::string& strName) override {
        return pTarget->PresentWithoutOpening(strName);
    }
    std::string LastErrorText() override { return pTarget->LastErrorText(); }
    bool HasGoneAway(PortHandle hPort) override { return pTarget->HasGoneAway(hPort); }
    bool SetReadWakeThreshold(PortHandle hPort, int nBytes) override {
        return pTarget->SetReadWakeThreshold(hPort, nBytes);
    }
    std::optional<bool> LowLatency(PortHandle hPort) override { return pTarget->LowLatency(hPort); }

private:
    ComApi* pTarget;
};
