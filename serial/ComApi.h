// The serial primitives the port logic needs, in the terms of the Windows serial
// API. One implementation per platform (POSIX termios, Win32) and a fake for tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "serial/ComSettings.h"
#include "serial/PortHandle.h"

// Reasons of a failed open that the enumeration tells apart (Windows error codes).
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_SEM_TIMEOUT = 121;

// Line error flags of ClearCommError.
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;
constexpr uint32_t CE_TXFULL = 0x0100;
constexpr uint32_t CE_PTO = 0x0200;
constexpr uint32_t CE_IOE = 0x0400;
constexpr uint32_t CE_DNS = 0x0800;
constexpr uint32_t CE_OOP = 0x1000;
constexpr uint32_t CE_MODE = 0x8000;
constexpr uint32_t kLineErrorMask = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK |
                                    CE_TXFULL | CE_PTO | CE_IOE | CE_DNS | CE_OOP | CE_MODE;

// PurgeComm flags.
constexpr uint32_t PURGE_TXABORT = 0x0001;
constexpr uint32_t PURGE_RXABORT = 0x0002;
constexpr uint32_t PURGE_TXCLEAR = 0x0004;
constexpr uint32_t PURGE_RXCLEAR = 0x0008;

class ComApi {
public:
    virtual ~ComApi() = default;

    // Opens a port by its device name ("\\.\COM3", "\\.\COM05", ...) for reading and
    // writing, exclusively, only if it exists. kInvalidHandle on failure.
    virtual PortHandle CreateFile(const std::string& strName) = 0;
    // Reason of the last failed CreateFile.
    virtual uint32_t GetLastError() = 0;
    virtual bool SetCommTimeouts(PortHandle hPort, const CommTimeouts& timeouts) = 0;
    virtual bool SetCommState(PortHandle hPort, const Dcb& dcb) = 0;
    // Reports and clears the line-error flags; reports the bytes queued for reading.
    virtual bool ClearCommError(PortHandle hPort, uint32_t& nErrors, uint32_t& nInQueue) = 0;
    virtual bool PurgeComm(PortHandle hPort, uint32_t nFlags) = 0;
    virtual bool ReadFile(PortHandle hPort, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) = 0;
    virtual bool WriteFile(PortHandle hPort, const uint8_t* pBuf, uint32_t nCount,
                           uint32_t& nDone) = 0;
    virtual bool CloseHandle(PortHandle hPort) = 0;

    // Where COM number nPort leads on this machine (shown as the port box's tool tip).
    virtual std::string DevicePath(unsigned nPort) = 0;
    // A descriptor that becomes readable when bytes arrive, or -1 (not on every platform).
    virtual int PollDescriptor(PortHandle) { return -1; }

    // The numbers of the ports present, in rising order, where the platform lists
    // them without opening any; no answer means each port must be asked for.
    virtual std::optional<std::vector<unsigned>> ListPorts() { return std::nullopt; }
    // Whether a port is present, where the platform can tell without opening it; no
    // answer means the port must be probed by opening it.
    virtual std::optional<bool> PresentWithoutOpening(const std::string&) { return std::nullopt; }
    // Why the last CreateFile failed, in words for the user; "" where the platform has
    // none beyond the error code.
    virtual std::string LastErrorText() { return {}; }
    // The device behind an open handle has gone away (unplugged, hung up).
    virtual bool HasGoneAway(PortHandle) { return false; }
    // Let the poll descriptor report input only once nBytes have arrived (1: any byte).
    // A hint where the platform has it; reads still return what has arrived.
    virtual bool SetReadWakeThreshold(PortHandle, int /*nBytes*/) { return true; }
    // Whether the adapter passes short input on at once (its latency timer at the
    // shortest), as asked at open: nothing where there is no such setting.
    virtual std::optional<bool> LowLatency(PortHandle) { return std::nullopt; }
};
