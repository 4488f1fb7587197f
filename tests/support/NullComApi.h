// A machine without serial ports: every open fails as "not found".
#pragma once

#include "serial/ComApi.h"

class NullComApi : public ComApi {
public:
    PortHandle CreateFile(const std::string&) override { return kInvalidHandle; }
    uint32_t GetLastError() override { return ERROR_FILE_NOT_FOUND; }
    bool SetCommTimeouts(PortHandle, const CommTimeouts&) override { return false; }
    bool SetCommState(PortHandle, const Dcb&) override { return false; }
    bool ClearCommError(PortHandle, uint32_t&, uint32_t&) override { return false; }
    bool PurgeComm(PortHandle, uint32_t) override { return false; }
    bool ReadFile(PortHandle, uint8_t*, uint32_t, uint32_t&) override { return false; }
    bool WriteFile(PortHandle, const uint8_t*, uint32_t, uint32_t&) override { return false; }
    bool CloseHandle(PortHandle) override { return false; }
    std::string DevicePath(unsigned) override { return {}; }
};
