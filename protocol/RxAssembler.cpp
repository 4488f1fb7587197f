#include "protocol/RxAssembler.h"

#include "protocol/Frames.h"

namespace {

enum RxState : int32_t {
    RxHunting = 0,
    RxLengthDigit = 1,
    RxBody = 3,
    RxEndMarker = 7,
};

constexpr int kMaxBodyEnd = 17;  // '>' + length digit + 15 characters

}  // namespace

int CRxAssembler::BytesToComplete() const {
    // The body and its line feed; before the length digit nothing more is known.
    return nRxState == RxBody ? nRxExpected - nRxLen + 1 : 1;
}

bool CRxAssembler::PushRxByte(uint8_t by) {
    if (by == kFrameStart)
        nRxState = RxHunting;
    switch (nRxState) {
        case RxHunting:
            if (by == kFrameStart) {
                acRxFrame[0] = by;
                nRxLen = 1;
                nRxExpected = 0;
                nRxState = RxLengthDigit;
            }
            return false;
        case RxLengthDigit: {
            if (by == kFrameEnd) {
                nRxState = RxHunting;
                return false;
            }
            acRxFrame[1] = by;
            // 8-bit arithmetic: a byte below '0' wraps to a large value and is refused.
            const uint8_t byValue = by <= '9' ? static_cast<uint8_t>(by - '0')
                                              : static_cast<uint8_t>((by | 0x20) - 0x57);
            nRxExpected = byValue + 2;
            if (byValue > 15) {
                nRxState = RxHunting;
            } else {
                nRxLen = 2;
                nRxState = RxBody;
            }
            return false;
        }
        case RxBody:
            if (by == kFrameEnd || nRxLen >= kMaxBodyEnd) {
                nRxState = RxHunting;
                return false;
            }
            acRxFrame[nRxLen++] = by;
            if (nRxLen >= nRxExpected)
                nRxState = RxEndMarker;
            return false;
        case RxEndMarker:
            nRxState = RxHunting;
            if (by != kFrameEnd)
                return false;
            acRxFrame[nRxLen++] = by;
            return true;
        default:
            nRxState = RxHunting;
            return false;
    }
}
