#include "programs/LightProgram.h"

#include <cstdio>
#include <cstring>

std::string ProgramStore::EntryText(int nEntry) const {
    char acText[128];
    if (nEntry >= 0 && nEntry < kProgCount) {
        const LightProgram& r = aProgs[nEntry];
        const std::string strName(r.Name, strnlen(r.Name, kNameSize));
        std::snprintf(acText, sizeof acText,
                      r.Steps <= 1 ? "Prog %d: \"%s\", %d step, MixAllowed=%d"
                                   : "Prog %d: \"%s\", %d steps, MixAllowed=%d",
                      nEntry + 1, strName.c_str(), r.Steps, r.MixAllowed);
    } else if (nEntry == kEntryRandom) {
        std::snprintf(acText, sizeof acText, "Random");
    } else if (nEntry == kEntryMix) {
        std::snprintf(acText, sizeof acText, "MIX: (RandomLen=%d)", RandomLen);
    } else {
        return {};
    }
    return acText;
}
