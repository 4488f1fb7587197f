// One EEPROM transfer unit (a program's length word, name or data, or the MIX length):
// where it goes on, how many bytes are left, the chunk the request on the line moves,
// and the bytes a write takes from (the store's record, or the two bytes kept here).
#pragma once

#include <algorithm>
#include <cstdint>

class CE2Transfer {
public:
    // A read of nLenArg bytes from nAddrArg, or a write of them from pData.
    void Begin(uint32_t nAddrArg, int nLenArg, const uint8_t* pData = nullptr) {
        nAddr = nAddrArg;
        nLen = nLenArg;
        nChunk = 0;
        pNext = pData;
    }
    // A write of the two bytes by0, by1 kept here (nLenArg of them).
    void BeginOwn(uint32_t nAddrArg, int nLenArg, uint8_t by0, uint8_t by1) {
        acOwn[0] = by0;
        acOwn[1] = by1;
        Begin(nAddrArg, nLenArg, acOwn);
    }
    // The chunk of the next request: at most nMax bytes, none for a write without data.
    int TakeChunk(int nMax, bool bWrite) {
        nChunk = std::clamp(nLen, 0, nMax);
        if (bWrite && pNext == nullptr)
            nChunk = 0;
        return nChunk;
    }
    // The next byte a write sends.
    uint8_t NextByte() { return *pNext++; }
    // The chunk on the line is the rest of the unit.
    bool IsLast() const { return nLen != 0 && nLen == nChunk; }
    // The chunk on the line was answered: go past it.
    void Advance() {
        nAddr += static_cast<uint32_t>(nChunk);
        nLen -= nChunk;
        nChunk = 0;
    }

    uint32_t Addr() const { return nAddr; }
    int Chunk() const { return nChunk; }

private:
    uint32_t nAddr = 0;
    int nLen = 0;
    int nChunk = 0;
    const uint8_t* pNext = nullptr;
    uint8_t acOwn[2] = {};
};
