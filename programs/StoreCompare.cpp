#include "programs/StoreCompare.h"

#include <algorithm>
#include <cstring>

namespace {

// The first step (1-based) where the two differ, a step missing from one of them
// included; 0 when the steps are equal.
int FirstDifferentStep(const LightProgram& a, const LightProgram& b) {
    // A record never holds more than its data's room, whatever its length says.
    const int nCommon = std::min({static_cast<int>(a.Steps), static_cast<int>(b.Steps), kDataSize});
    const auto itA = a.Data, itB = b.Data;
    const int nSame = static_cast<int>(std::mismatch(itA, itA + nCommon, itB).first - itA);
    return nSame < nCommon || a.Steps != b.Steps ? nSame + 1 : 0;
}

}  // namespace

std::vector<std::string> StoreDifferences(const ProgramStore& expected,
                                          const ProgramStore& actual) {
    std::vector<std::string> aLines;
    for (int n = 0; n < kProgCount; ++n) {
        const LightProgram& a = expected.aProgs[n];
        const LightProgram& b = actual.aProgs[n];
        std::vector<std::string> aWhat;
        if (std::strncmp(a.Name, b.Name, kNameSize) != 0)
            aWhat.push_back("name differs");
        if ((a.MixAllowed != 0) != (b.MixAllowed != 0))
            aWhat.push_back("MIX flag differs");
        if (const int nStep = FirstDifferentStep(a, b); nStep != 0)
            aWhat.push_back("steps differ from step " + std::to_string(nStep));
        if (aWhat.empty())
            continue;
        std::string strLine = "program " + std::to_string(n + 1) + ": " + aWhat[0];
        for (size_t i = 1; i < aWhat.size(); ++i)
            strLine += ", " + aWhat[i];
        aLines.push_back(strLine);
    }
    if (expected.RandomLen != actual.RandomLen)
        aLines.push_back("MIX length differs");
    return aLines;
}
