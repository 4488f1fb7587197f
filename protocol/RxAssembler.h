// Receive frame assembler: '>' starts a frame, the length digit says how many
// characters follow, a line feed must come right after them. Anything else is dropped
// without a message.
#pragma once

#include <cstdint>

class CRxAssembler {
public:
    // True when by completed a frame; the frame is then in Frame(), Len() bytes long.
    bool PushRxByte(uint8_t by);
    uint8_t* Frame() { return acRxFrame; }
    int Len() const { return nRxLen; }
    // Bytes still to come before the frame being received can complete (at least 1).
    int BytesToComplete() const;
    // Forgets a frame begun: its rest will not come.
    void Reset() { nRxState = 0; }

private:
    uint8_t acRxFrame[21] = {};
    int32_t nRxExpected = 0;
    int32_t nRxLen = 0;
    int32_t nRxState = 0;
};
