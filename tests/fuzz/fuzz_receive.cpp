// Arbitrary bytes on the line while an operation of each kind runs. The bytes reach the
// engine through the real receive path (timer 2, the serial port logic, the frame
// assembler, the reply handlers); the engine's state is checked after every tick.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

#include "app/DebugSink.h"
#include "app/GlowdeskDlg.h"
#include "app/Waiter.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/support/FakeView.h"

namespace {

constexpr PortHandle kPort = 7;

// A port on COM1 whose received bytes come from the fuzzer, a tick's worth at a time.
class LineApi : public ComApi {
public:
    PortHandle CreateFile(const std::string& strName) override {
        if (strName.size() >= 4 && strName.compare(strName.size() - 4, 4, "COM1") == 0)
            return kPort;
        return kInvalidHandle;
    }
    uint32_t GetLastError() override { return ERROR_FILE_NOT_FOUND; }
    bool SetCommTimeouts(PortHandle, const CommTimeouts&) override { return true; }
    bool SetCommState(PortHandle, const Dcb&) override { return true; }
    bool ClearCommError(PortHandle, uint32_t& nErrors, uint32_t& nInQueue) override {
        nErrors = 0;
        nInQueue = static_cast<uint32_t>(qRx.size());
        return true;
    }
    bool PurgeComm(PortHandle, uint32_t nFlags) override {
        if (nFlags & PURGE_RXCLEAR) qRx.clear();
        return true;
    }
    bool ReadFile(PortHandle, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override {
        nDone = 0;
        while (nDone < nCount && !qRx.empty()) {
            pBuf[nDone++] = qRx.front();
            qRx.pop_front();
        }
        return true;
    }
    bool WriteFile(PortHandle, const uint8_t*, uint32_t nCount, uint32_t& nDone) override {
        nDone = nCount;
        return true;
    }
    bool CloseHandle(PortHandle) override { return true; }
    std::string DevicePath(unsigned) override { return "fuzz"; }

    std::deque<uint8_t> qRx;
};

class NoWait : public Waiter {
public:
    void Wait(int) override {}
};

class FixedSeconds : public Clock {
public:
    uint32_t Seconds() override { return 1; }
};

const int32_t kOperations[] = {READ_VERSION, JMP_CONFIG,  JMP_NORMAL,   RD_STATIC_INFO,
                               RD_SEL_PROG,  WR_SEL_PROG, RD_ALL_PROGS, WR_ALL_PROGS,
                               RD_MIX_LEN,   WR_MIX_LEN};

void Check(bool bOk) {
    if (!bOk) __builtin_trap();
}

void CheckState(CGlowdeskDlg& dlg, FakeView& view) {
    if (dlg.IsBusy()) {
        Check(view.TimerPeriod(kTimerCom) == 8);
        Check(view.GetText(IDC_START) == "stop");
    } else {
        Check(view.TimerPeriod(kTimerCom) == 100);
    }
    for (const LightProgram& prog : dlg.Store().aProgs) {
        Check(prog.Steps <= kDataSize);
        Check(std::memchr(prog.Name, 0, kNameSize) != nullptr);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize < 2) return 0;
    FakeView view;
    LineApi api;
    NoWait waiter;
    NullDebugSink sink;
    FixedSeconds clock;
    CComEmulator emulator(waiter, sink);
    CSerialPort serial(api, emulator);
    CGlowdeskDlg dlg(view, serial, waiter, clock);
    dlg.OnInitDialog(pData[0] & 0x80 ? "-t 1" : "", "/nonexistent-glowdesk-dir");

    // Something to write: program k has k * 37 steps and a name of k letters.
    for (int k = 0; k < kProgCount; ++k) {
        LightProgram& prog = dlg.Store().aProgs[k];
        prog.Steps = static_cast<uint16_t>((k * 37) % 897);
        prog.MixAllowed = k & 1;
        for (int i = 0; i < k && i < 12; ++i) prog.Name[i] = static_cast<char>('a' + i);
        for (int i = 0; i < kDataSize; ++i) prog.Data[i] = static_cast<uint8_t>(i * k);
    }

    dlg.OnConnect();
    const int32_t nOp = kOperations[pData[0] % std::size(kOperations)];
    dlg.DeviceCommand(nOp, pData[1] % 12 - 1, "op: ");
    CheckState(dlg, view);

    // The rest comes in chunks: a length byte, then that many bytes for one tick.
    size_t i = 2;
    while (i < nSize) {
        size_t nChunk = pData[i++] % 24;
        for (; nChunk > 0 && i < nSize; --nChunk) api.qRx.push_back(pData[i++]);
        dlg.OnTimer(kTimerCom);
        CheckState(dlg, view);
    }
    // Silence: whatever ran must end by its time-out.
    for (int nTick = 0; nTick < 80; ++nTick) dlg.OnTimer(kTimerCom);
    CheckState(dlg, view);
    Check(!dlg.IsBusy());
    dlg.OnDestroy();
    return 0;
}
