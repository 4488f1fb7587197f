// The receive path under hostile input while an operation of each kind runs. The
// dialog talks through the real serial port logic to a line whose other end is an
// emulated Handheld; the fuzzer's bytes decide, tick by tick, whether the Handheld's
// answers arrive whole, changed, cut short, with noise, or not at all, and may alter
// the Handheld's EEPROM. After every tick the engine's state is checked:
//   - busy only with an operation running and its request on the line (timer 2 fast,
//     the button "stop"): an answer to that request delivered whole either ends the
//     operation or sends the next request; idle with no operation left over (timer 2
//     slow, the button "start");
//   - every request written is a well-formed frame of the running frame command;
//   - program records stay in bounds, and only the records the running operation
//     reads may change.
//
// Input: byte 0 picks the operation (bits 0-3), the frame trace (bit 7), whether
// the operation starts before the connect has finished (bit 6) and whether the
// Handheld's static info follows (bit 5, 6 bytes after byte 1); byte 1 the program
// row. Then one instruction per byte, kind in bits 0-2, argument in bits 3-7:
//   0  the Handheld answers what it received, for argument + 1 ticks
//   1  it answers, with the byte at (argument) replaced by the next input byte
//   2  argument below 19: it answers, cut after (argument) bytes; 19 to 23: its
//      last answer comes again before the new ones; 24 and up: byte
//      (argument - 24) % 6 of its static info is set to the next byte, no tick
//   3  (argument) raw bytes from the input go on the line
//   4  it answers, followed by (argument) raw bytes
//   5  silence for 1 + 3 * argument ticks
//   6  EEPROM byte ((argument << 8) | next byte) set to the byte after it; no tick
//   7  argument 0: the requests so far are lost; else (when idle) another
//      operation, (argument - 1) picking it and the next byte its row
// When the input ends the line falls silent and whatever runs must end by time-out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/GlowdeskDlg.h"
#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "serial/ComEmulator.h"
#include "serial/SerialPort.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/FakeView.h"
#include "tests/support/TestDoubles.h"

namespace {

constexpr PortHandle kPort = 7;

// A port on COM1: what the dialog writes is kept as requests for the Handheld, what
// the line delivers is queued for the dialog's reads.
class LineApi : public ComApi {
public:
    PortHandle CreateFile(const std::string& strName) override {
        return IsCom1(strName) ? kPort : kInvalidHandle;
    }
    // Known without opening, as on platforms that list their ports: the enumeration at
    // every input's start-up opens nothing.
    std::optional<bool> PresentWithoutOpening(const std::string& strName) override {
        return IsCom1(strName);
    }
    // Byte by byte: a string comparison goes through the sanitizer's memcmp, which also
    // hands every unequal pair to the fuzzer, 255 times per input.
    static bool IsCom1(const std::string& strName) {
        const size_t n = strName.size();
        return n >= 4 && strName[n - 4] == 'C' && strName[n - 3] == 'O' && strName[n - 2] == 'M' &&
               strName[n - 1] == '1';
    }
    uint32_t GetLastError() override { return ERROR_FILE_NOT_FOUND; }
    bool SetCommTimeouts(PortHandle, const CommTimeouts&) override { return true; }
    bool SetCommState(PortHandle, const Dcb&) override { return true; }
    bool ClearCommError(PortHandle, uint32_t& nErrors, uint32_t& nInQueue) override {
        nErrors = 0;
        nInQueue = static_cast<uint32_t>(RxLeft());
        return true;
    }
    bool PurgeComm(PortHandle, uint32_t nFlags) override {
        if (nFlags & PURGE_RXCLEAR)
            ClearRx();
        return true;
    }
    bool ReadFile(PortHandle, uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override {
        nDone = static_cast<uint32_t>(std::min<size_t>(nCount, RxLeft()));
        std::memcpy(pBuf, strRx.data() + nRxPos, nDone);
        nRxPos += nDone;
        nRxTaken += nDone;
        return true;
    }
    bool WriteFile(PortHandle, const uint8_t* pBuf, uint32_t nCount, uint32_t& nDone) override {
        CheckRequest(pBuf, nCount);
        Request request;
        std::memcpy(request.ac, pBuf, nCount);
        request.n = static_cast<uint8_t>(nCount);
        aRequests.push_back(request);
        lastRequest = request;
        ++nWrites;
        nDone = nCount;
        return true;
    }
    bool CloseHandle(PortHandle) override { return true; }
    std::string DevicePath(unsigned) override { return "fuzz"; }

    // '>', a hex length digit L, L characters of which the first is the letter, a line
    // feed; R asks for 1 to 7 bytes, W carries 0 to 5, I asks for index 0 to 9.
    static void CheckRequest(const uint8_t* p, uint32_t n) {
        Check(n >= 4 && n <= 18 && p[0] == '>' && p[n - 1] == '\n');
        const int nL = HexNibble(p[1]);
        Check(nL >= 1 && static_cast<uint32_t>(nL) + 3 == n);
        switch (p[2]) {
            case 'J':
                Check(nL == 2 && (p[3] == 'N' || p[3] == 'C'));
                break;
            case 'V':
                Check(nL == 1);
                break;
            case 'I':
                Check(nL == 3 && HexNibble(p[3]) == 0 && HexNibble(p[4]) >= 0 &&
                      HexNibble(p[4]) <= 9);
                break;
            case 'R':
                Check(nL == 7 && HexNibble(p[7]) == 0 && HexNibble(p[8]) >= 0 &&
                      HexNibble(p[8]) <= 7);
                break;
            case 'W':
                Check(nL >= 5 && nL <= 15 && nL % 2 == 1);
                for (uint32_t i = 3; i + 1 < n; ++i)
                    Check(HexNibble(p[i]) >= 0);
                break;
            default:
                Check(false);
        }
    }

    // What the line delivers: a string read from nRxPos on (a deque allocated a node
    // per few bytes, which under the sanitizers cost more than the dialog's work).
    void PutRx(const std::string& str) {
        if (nRxPos == strRx.size())
            ClearRx();
        strRx += str;
    }
    size_t RxLeft() const { return strRx.size() - nRxPos; }
    void ClearRx() {
        strRx.clear();
        nRxPos = 0;
    }
    std::string strRx;
    size_t nRxPos = 0;
    long nRxTaken = 0;  // bytes the dialog has read in all
    // A request as written; CheckRequest has bounded its length. Kept in place: one
    // string allocated per request cost as much as the engine's work for it.
    struct Request {
        char ac[18];
        uint8_t n = 0;
        std::string_view Text() const { return {ac, n}; }
    };
    std::vector<Request> aRequests;  // not yet taken by the Handheld
    Request lastRequest;
    int nWrites = 0;
};

using Operation = DeviceOperation;
constexpr const auto& kOperations = kDeviceOperations;

// The letter of the request each frame command sends.
char RequestLetter(int nFrameCmd) {
    switch (nFrameCmd) {
        case CmdJmpNormal:
        case CmdJmpConfig:
            return 'J';
        case CmdRdVersion:
            return 'V';
        case CmdRdStaticInfo:
            return 'I';
        case CmdRdSelProg:
        case CmdRdMixLen:
            return 'R';
        case CmdWrSelProg:
        case CmdWrMixLen:
            return 'W';
        default:
            return 0;
    }
}

bool SameContents(const LightProgram& a, const LightProgram& b) {
    return a.MixAllowed == b.MixAllowed && a.Steps == b.Steps &&
           std::memcmp(a.Name, b.Name, sizeof a.Name) == 0 &&
           std::memcmp(a.Data, b.Data, sizeof a.Data) == 0;
}

FakeView& FreshView() {
    static const FakeView fresh;
    static FakeView view;
    view = fresh;
    return view;
}

class Session {
public:
    explicit Session(bool bTrace)
        : session(SessionServices{&api, &waiter, &clock, &sink}),
          dlg(view, session),
          peer(waiter, sink) {
        // Operations start here directly, not from the command box: the dialog goes
        // without one, as it can, and does not fill it for every input.
        view.Remove(IDC_COMMAND);
        dlg.OnInitDialog(bTrace ? "-p 1 -t 1" : "-p 1", "/nonexistent-glowdesk-dir");
        peer.ResetEmulator();
        // Names that fill their field (odd programs) or end early, so that reads of
        // names take more than one chunk.
        for (int k = 1; k <= kProgCount; ++k) {
            const unsigned nName = 2 + 14 * (k - 1) + 2;
            for (int i = 0; i < (k % 2 ? 12 : 3 + k); ++i)
                peer.Image()[nName + i] = static_cast<uint8_t>('A' + k + i);
        }
        // Something to write: program k has k steps (the last one 17) and a name of k
        // letters. The lengths leave every remainder of the 5-byte write chunks and the
        // 7-byte read chunks, the last one takes several chunks of each, and a
        // whole-store write stays at a few dozen exchanges: every exchange more is
        // paid by every input that writes the store.
        for (int k = 0; k < kProgCount; ++k) {
            LightProgram& prog = session.Store().aProgs[k];
            prog.Steps = static_cast<uint16_t>(k + 1 < kProgCount ? k : 17);
            prog.MixAllowed = k & 1;
            for (int i = 0; i < k; ++i)
                prog.Name[i] = static_cast<char>('a' + i);
            for (int i = 0; i < kDataSize; ++i)
                prog.Data[i] = static_cast<uint8_t>(i * k);
        }
        Snapshot(0, false);
    }

    void Connect() {
        dlg.OnConnect();
        CheckState();
    }
    void StartOperation(int nWhich, int nRow) {
        const Operation& op = kOperations[nWhich % std::size(kOperations)];
        const int nIndex = nRow + 1;
        uint16_t nMayChange = 0;
        if (op.nCmd == CmdRdSelProg && nIndex >= 1 && nIndex <= kProgCount)
            nMayChange = static_cast<uint16_t>(1u << (nIndex - 1));
        if (op.nCmd == CmdRdAllProgs)
            nMayChange = 0x1FF;
        Snapshot(nMayChange, op.nCmd == CmdRdAllProgs || op.nCmd == CmdRdMixLen);
        dlg.DeviceCommand(op.nCode, nRow, "op: ");
        CheckState();
    }

    // The Handheld takes every request so far; its answers go to strAnswer. Its
    // static info is the one set here.
    std::string Answer() {
        std::string strAnswer;
        for (const LineApi::Request& request : api.aRequests) {
            const std::string_view strRequest = request.Text();
            peer.HandleFrame(reinterpret_cast<const uint8_t*>(strRequest.data()),
                             static_cast<int>(strRequest.size()));
            char ac[32];
            const int n = peer.ReadAnswer(reinterpret_cast<uint8_t*>(ac), sizeof ac);
            if (strRequest == ">3I00\n" && n == 18) {
                for (int i = 0; i < 6; ++i)
                    std::snprintf(ac + 5 + 2 * i, 3, "%02X", acStatic[i]);
                ac[17] = '\n';
            }
            strAnswer.append(ac, static_cast<size_t>(n));
            if (n > 0)
                strLastAnswer.assign(ac, static_cast<size_t>(n));
        }
        api.aRequests.clear();
        return strAnswer;
    }
    // One tick with the Handheld's answers delivered unchanged. When they answer the
    // one request on the line, the engine must either end or send the next request:
    // busy with nothing on the line would only end by time-out.
    void AnswerInFull() {
        const bool bOneRequest = api.aRequests.size() == 1;
        const std::string strAnswer = Answer();
        const int nWritesBefore = api.nWrites;
        Put(strAnswer);
        Tick();
        if (bOneRequest && !strAnswer.empty() && session.IsBusy())
            Check(api.nWrites > nWritesBefore);
    }
    const std::string& LastAnswer() const { return strLastAnswer; }
    void Put(const std::string& str) { api.PutRx(str); }
    void Drop() { api.aRequests.clear(); }
    void Poke(unsigned nAddress, uint8_t by) { peer.Image()[nAddress % kE2ImageSize] = by; }
    void SetStaticInfo(unsigned nByte, uint8_t by) { acStatic[nByte % 6] = by; }

    void Tick() {
        dlg.OnTimer(kTimerCom);
        CheckState();
    }
    void RunOutInSilence() {
        api.ClearRx();
        for (int nTick = 0; nTick < 80 && session.IsBusy(); ++nTick) {
            Drop();
            Tick();
        }
        Check(!session.IsBusy());
    }
    bool IsBusy() const { return session.IsBusy(); }
    const std::string& Trace() const { return session.GetTrace(); }
    void Destroy() { dlg.OnDestroy(); }

private:
    // Remembers the store; until the next snapshot only the programs in nMayChange
    // (bit k for program k + 1) and, with bRandomLen, the MIX length may change.
    void Snapshot(uint16_t nMayChangeArg, bool bRandomLenArg) {
        before = session.Store();
        nMayChange = nMayChangeArg;
        bRandomLen = bRandomLenArg;
    }

    void CheckState() {
        bool bAnyCmd = false;
        for (const Operation& op : kOperations)
            bAnyCmd = bAnyCmd || session.Engine().IsCmd(op.nCmd);
        int nFrameCmd = CmdUnknown;
        for (int c = CmdJmpNormal; c <= CmdWrMixLen; ++c)
            if (session.Engine().IsRunningFrameCmd(c))
                nFrameCmd = c;

        if (session.IsBusy()) {
            // A request of the running frame command is on the line.
            Check(bAnyCmd);
            Check(RequestLetter(nFrameCmd) != 0);
            Check(api.lastRequest.n > 2 && api.lastRequest.ac[2] == RequestLetter(nFrameCmd));
            Check(view.TimerPeriod(kTimerCom) == 8);
            Check(view.Ctl(IDC_START).strText == "stop");
        } else {
            // Ended for good: nothing left that a late reply could continue.
            Check(!bAnyCmd);
            Check(view.TimerPeriod(kTimerCom) == 100);
            if (api.nWrites > 0)
                Check(view.Ctl(IDC_START).strText == "start");
        }

        // The store changes only when a frame is handled, which takes bytes from the
        // line, or when an operation starts or ends: without any of these since the last
        // check it is as it was, and comparing it again would only cost time. An
        // operation that may change the store and is not running (it ended, or never
        // started) still needs its check, which takes the snapshot again.
        const bool bActivity = api.nRxTaken != nRxTakenChecked || api.nWrites != nWritesChecked ||
                               session.IsBusy() != bBusyChecked ||
                               (!session.IsBusy() && (nMayChange != 0 || bRandomLen));
        nRxTakenChecked = api.nRxTaken;
        nWritesChecked = api.nWrites;
        bBusyChecked = session.IsBusy();
        if (!bActivity)
            return;
        const ProgramStore& store = session.Store();
        for (int k = 0; k < kProgCount; ++k) {
            const LightProgram& prog = store.aProgs[k];
            Check(prog.Steps <= kDataSize);
            const void* pEnd = std::memchr(prog.Name, 0, kNameSize);
            Check(pEnd != nullptr);
            for (const char* p = prog.Name; p != pEnd; ++p)
                Check(*p >= 0x20 && *p <= 0x7E);
            if (!((nMayChange >> k) & 1))
                Check(SameContents(prog, before.aProgs[k]));
        }
        if (!bRandomLen)
            Check(store.RandomLen == before.RandomLen);
        // Replies that nobody waits for change nothing. While idle the snapshot already
        // equals the store, so it is taken again only when an operation has just ended.
        if (!session.IsBusy() && (nMayChange != 0 || bRandomLen))
            Snapshot(0, false);
    }

    // One window for all inputs, made again from a fresh one before each: assigning
    // reuses what the last input allocated, where a new window allocated every control.
    FakeView& view = FreshView();
    LineApi api;
    NoWaiter waiter;
    NullDebugSink sink;
    FixedClock clock;
    CSession session;  // its emulated Handheld stays unused: emulation is off
    CGlowdeskDlg dlg;
    CComEmulator peer;  // the Handheld on the other end of the line
    // E2 size in k, InfoLen, ProgCount, ProgNameLen, ProgSize (high, low).
    uint8_t acStatic[6] = {0x08, 0x02, 0x09, 0x0C, 0x03, 0x80};
    std::string strLastAnswer;
    ProgramStore before;
    uint16_t nMayChange = 0;
    bool bRandomLen = false;
    long nRxTakenChecked = -1;
    int nWritesChecked = -1;
    bool bBusyChecked = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize < 2)
        return 0;
    Session s((pData[0] & 0x80) != 0);
    s.Connect();
    if ((pData[0] & 0x40) == 0) {
        // The connect's version request and the jump to config mode, answered in full.
        for (int nTick = 0; nTick < 10 && s.IsBusy(); ++nTick)
            s.AnswerInFull();
    }
    s.StartOperation(pData[0] & 0x0F, pData[1] % 12 - 1);

    size_t i = 2;
    auto next = [&]() -> uint8_t { return i < nSize ? pData[i++] : 0; };
    if (pData[0] & 0x20) {
        for (unsigned n = 0; n < 6; ++n)
            s.SetStaticInfo(n, next());
    }
    auto raw = [&](size_t nCount) {
        std::string str;
        for (; nCount > 0 && i < nSize; --nCount)
            str += static_cast<char>(pData[i++]);
        return str;
    };
    while (i < nSize) {
        const uint8_t by = pData[i++];
        const unsigned nArg = by >> 3;
        switch (by & 7) {
            case 0:
                for (unsigned n = 0; n <= nArg; ++n)
                    s.AnswerInFull();
                break;
            case 1: {
                std::string str = s.Answer();
                const uint8_t byNew = next();
                if (!str.empty())
                    str[nArg % str.size()] = static_cast<char>(byNew);
                s.Put(str);
                s.Tick();
                break;
            }
            case 2:
                if (nArg >= 24) {
                    s.SetStaticInfo(nArg - 24, next());
                } else if (nArg >= 19) {
                    const std::string strStale = s.LastAnswer();
                    s.Put(strStale + s.Answer());
                    s.Tick();
                } else {
                    s.Put(s.Answer().substr(0, nArg));
                    s.Tick();
                }
                break;
            case 3:
                s.Put(raw(nArg));
                s.Tick();
                break;
            case 4:
                s.Put(s.Answer() + raw(nArg));
                s.Tick();
                break;
            case 5:
                for (unsigned n = 0; n < 1 + 3 * nArg; ++n)
                    s.Tick();
                break;
            case 6: {
                const uint8_t byLow = next();
                s.Poke((nArg << 8) | byLow, next());
                break;
            }
            case 7:
                if (nArg == 0) {
                    s.Drop();
                    s.Tick();
                } else if (!s.IsBusy()) {
                    s.StartOperation(static_cast<int>(nArg - 1), next() % 12 - 1);
                }
                break;
        }
    }
    s.RunOutInSilence();
    // To see what an input does: GLOWDESK_FUZZ_TRACE=1 fuzz_receive <input file>
    static const bool bShowTrace = std::getenv("GLOWDESK_FUZZ_TRACE") != nullptr;
    if (bShowTrace)
        std::fprintf(stderr, "%s\n----\n", s.Trace().c_str());
    s.Destroy();
    return 0;
}
