#include "cli/TransferPlan.h"

#include <algorithm>

namespace {
constexpr int kReadChunk = 7;   // bytes per R request
constexpr int kWriteChunk = 5;  // bytes per W request

int Chunks(int nBytes, int nChunk) {
    return (nBytes + nChunk - 1) / nChunk;
}

bool IsPrintable(char ch) {
    return ch >= 0x20 && ch <= 0x7E;
}

// Name bytes written: the printable characters and the byte that ends them.
int NameBytesWritten(const LightProgram& prog, int nNameLen) {
    int nCount = 0;
    while (nCount < nNameLen && nCount < kNameSize) {
        if (!IsPrintable(prog.Name[nCount++]))
            break;
    }
    return nCount;
}
}  // namespace

int WriteProgExchanges(const LightProgram& prog, const StaticInfo& info) {
    const int n = 1 + Chunks(info.InfoLen, kWriteChunk);  // info request, length word
    // A program without steps writes its whole name field instead of data and name.
    if (prog.Steps == 0)
        return n + Chunks(info.ProgNameLen, kWriteChunk);
    return n + Chunks(prog.Steps, kWriteChunk) +
           Chunks(NameBytesWritten(prog, info.ProgNameLen), kWriteChunk);
}

int ReadProgExchanges(const LightProgram& prog, bool bKnown, const StaticInfo& info) {
    int n = 1 + Chunks(info.InfoLen, kReadChunk);  // info request, length word
    if (!bKnown)
        return n + Chunks(info.ProgNameLen, kReadChunk) + Chunks(info.ProgSize, kReadChunk);
    // The name ends in the chunk that holds its first byte that is not printable.
    int nNameLen = 0;
    while (nNameLen < info.ProgNameLen && nNameLen < kNameSize && IsPrintable(prog.Name[nNameLen]))
        ++nNameLen;
    n += nNameLen >= info.ProgNameLen ? Chunks(info.ProgNameLen, kReadChunk)
                                      : nNameLen / kReadChunk + 1;
    return n + Chunks(prog.Steps, kReadChunk);
}

int WriteAllExchanges(const ProgramStore& store, const StaticInfo& info) {
    int n = 2;  // static info, MIX length
    for (const LightProgram& prog : store.aProgs)
        n += WriteProgExchanges(prog, info);
    return n;
}

int ReadAllExchanges(const ProgramStore& store, const std::vector<int>& aKnown,
                     const StaticInfo& info) {
    int n = 2;  // static info, MIX length
    for (int i = 0; i < kProgCount; ++i) {
        const bool bKnown = std::find(aKnown.begin(), aKnown.end(), i + 1) != aKnown.end();
        n += ReadProgExchanges(store.aProgs[i], bKnown, info);
    }
    return n;
}
