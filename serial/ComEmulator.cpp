#include "serial/ComEmulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/DebugSink.h"
#include "base/Waiter.h"
#include "programs/LightProgram.h"
#include "protocol/Frames.h"

namespace {
constexpr char kVersion[] = "HH 1.01";
constexpr uint8_t kStaticInfo[6] = {0x08, 0x02, 0x09, 0x0C, 0x03, 0x80};
constexpr unsigned kLastAddress = kE2ImageSize - 1;

constexpr int kReplyWaitMs = 30;
constexpr int kReadWaitMs = 90;
constexpr int kWriteWaitMs = 150;
constexpr int kResetWaitMs = 120;

// Offsets of the parameters in a request: '>' length letter, then the payload.
constexpr int kParam = 3;

uint16_t PosProgLen(int k) {
    return static_cast<uint16_t>(2 + 14 * (k - 1));
}
uint16_t PosProgName(int k) {
    return static_cast<uint16_t>(PosProgLen(k) + 2);
}
uint16_t PosProgData(int k) {
    return static_cast<uint16_t>(0x0080 + 0x0380 * (k - 1));
}

// True when nCount bytes from nAddress all lie inside the image.
bool InImage(unsigned nAddress, unsigned nCount) {
    return nCount == 0 || (nAddress <= kLastAddress && nCount - 1 <= kLastAddress - nAddress);
}
}  // namespace

void CComEmulator::PutAnswer(const CFrame& frame) {
    const int nLen = std::clamp(frame.Len(), 0, static_cast<int>(sizeof acAnswer));
    std::memcpy(acAnswer, frame.Bytes(), static_cast<size_t>(nLen));
    nAnswerLen = nLen;
    nAnswerPos = 0;
}

CFrame CComEmulator::Answer(char chLetter) const {
    // Byte 0 echoes the request's byte 0, kept in byEcho by HandleFrame; the answer's
    // letter is the request's in lower case.
    return CFrame(static_cast<char>(chLetter + 0x20), byEcho);
}

void CComEmulator::PutStatus(char chLetter, char chStatus) {
    PutAnswer(Answer(chLetter).Char(':').Char(chStatus));
}

int CComEmulator::HandleFrame(const uint8_t* pRequest, int nCount) {
    if (pRequest == nullptr || nCount < 3)
        return nCount;  // no letter: no answer
    const char* pReq = reinterpret_cast<const char*>(pRequest);
    const char chLetter = pReq[2];
    byEcho = pRequest[0];
    // Whether the request carries the nChars parameter characters from offset 3.
    auto has = [&](int nChars) { return nCount >= kParam + nChars; };
    auto answerStatus = [&](char chStatus) {
        waiter.Wait(kReplyWaitMs);
        PutStatus(chLetter, chStatus);
    };

    if (chLetter == 'J') {
        if (!has(1))
            return nCount;
        const char chMode = pReq[kParam];
        if (chMode != 'N' && chMode != 'C')
            return nCount;
        bNormalMode = chMode == 'N' ? 1 : 0;
        answerStatus('0');
        return nCount;
    }
    if (chLetter == 'V') {
        CFrame answer = Answer('V');
        for (const char ch : std::string_view(kVersion))
            answer.Char(ch);
        waiter.Wait(kReplyWaitMs);
        PutAnswer(answer);
        return nCount;
    }
    if (bNormalMode)
        return nCount;  // the rest only in config mode

    switch (chLetter) {
        case 'I': {
            if (!has(2)) {
                answerStatus('1');
                break;
            }
            const auto nIndex = static_cast<uint8_t>(HexToByte(pReq + kParam));
            if (nIndex > kProgCount) {
                answerStatus('1');
                break;
            }
            // The index goes back as the request wrote it.
            CFrame answer = Answer('I');
            answer.Char(pReq[kParam]).Char(pReq[kParam + 1]);
            if (nIndex == 0) {
                for (const uint8_t by : kStaticInfo)
                    answer.Hex(by);
            } else {
                answer.Word(PosProgLen(nIndex)).Word(PosProgName(nIndex)).Word(PosProgData(nIndex));
            }
            waiter.Wait(kReplyWaitMs);
            PutAnswer(answer);
            break;
        }
        case 'L': {
            if (!has(2)) {
                answerStatus('1');
                break;
            }
            TraceLeds(static_cast<uint8_t>(HexToByte(pReq + kParam)));
            answerStatus('0');
            break;
        }
        case 'R': {
            if (!has(6)) {
                answerStatus('1');
                break;
            }
            const unsigned nAddress = HexToWord(pReq + kParam);
            const auto nBytes = static_cast<uint8_t>(HexToByte(pReq + kParam + 4));
            if (nBytes < 1 || nBytes > 7 || !InImage(nAddress, nBytes)) {
                answerStatus('1');
                break;
            }
            CFrame answer = Answer('R');
            for (unsigned i = 0; i < nBytes; ++i)
                answer.Hex(acImage[nAddress + i]);
            waiter.Wait(kReadWaitMs);
            PutAnswer(answer);
            break;
        }
        case 'S': {
            if (!has(2)) {
                answerStatus('1');
                break;
            }
            const auto byValue = static_cast<uint8_t>(HexToByte(pReq + kParam));
            TraceLeds(byValue);
            if (byValue != kResetByte) {
                answerStatus('1');
                break;
            }
            LoadDefaults();
            waiter.Wait(kResetWaitMs);
            answerStatus('0');
            break;
        }
        case 'W': {
            // len - 3 must match the length digit; the data are len - 8 characters
            // (the line feed at the end is counted in len).
            if (nCount - 3 != HexValue(pReq[1]) || nCount < 8) {
                answerStatus('1');
                break;
            }
            const int nChars = nCount - 8;
            if (nChars % 2 != 0) {
                answerStatus('4');
                break;
            }
            const unsigned nAddress = HexToWord(pReq + kParam);
            const unsigned nBytes = static_cast<unsigned>(nChars / 2);
            if (!InImage(nAddress, nBytes)) {
                answerStatus('1');
                break;
            }
            for (unsigned i = 0; i < nBytes; ++i) {
                acImage[nAddress + i] = static_cast<uint8_t>(HexToByte(pReq + 7 + 2 * i));
            }
            waiter.Wait(kWriteWaitMs);
            PutStatus(chLetter, '0');
            break;
        }
        default:
            break;  // unknown letter: no answer, no wait
    }
    return nCount;
}

int CComEmulator::ReadAnswer(uint8_t* pBuf, int nSize) {
    if (pBuf == nullptr || nSize <= 0 || nAnswerLen <= 0)
        return 0;
    const int nTaken = std::min(nSize, nAnswerLen);
    std::memcpy(pBuf, acAnswer + nAnswerPos, static_cast<size_t>(nTaken));
    nAnswerPos += nTaken;
    nAnswerLen -= nTaken;
    return nTaken;
}

int CComEmulator::ResetEmulator() {
    if (bDefaultsPending) {
        bDefaultsPending = 0;
        acImage.fill(0xFF);
        LoadDefaults();
    }
    nAnswerLen = 0;
    nAnswerPos = 0;
    return 1;
}

bool CComEmulator::LoadDefaults() {
    static constexpr uint8_t kProg1[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    static constexpr uint8_t kProg2[] = {0x01, 0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x80};
    acImage[1] = 0x20;
    for (int k = 1; k <= kProgCount; ++k) {
        uint16_t nSteps = 1;
        if (k == 1)
            nSteps = sizeof kProg1;
        if (k == 2)
            nSteps = sizeof kProg2;
        acImage[PosProgLen(k)] = static_cast<uint8_t>(nSteps >> 8);
        acImage[PosProgLen(k) + 1] = static_cast<uint8_t>(nSteps);
        acImage[PosProgName(k)] = 0x00;
        uint8_t* pData = acImage.data() + PosProgData(k);
        if (k == 1) {
            std::memcpy(pData, kProg1, sizeof kProg1);
        } else if (k == 2) {
            std::memcpy(pData, kProg2, sizeof kProg2);
        } else {
            pData[0] = static_cast<uint8_t>(k);
        }
    }
    return true;
}

void CComEmulator::TraceLeds(uint8_t byLeds) {
    char szText[16];
    std::snprintf(szText, sizeof szText, "Leds: %2.2X\r\n", static_cast<unsigned>(byLeds));
    debug.Output(szText);
}
