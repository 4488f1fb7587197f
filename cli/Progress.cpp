#include "cli/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double SecondsLeft(const ProgressState& state) {
    if (state.nTotal <= 0 || state.nDone <= 0)
        return -1;
    const int nRest = std::max(0, state.nTotal - state.nDone);
    return state.dElapsed / state.nDone * nRest;
}

std::string FormatProgress(const ProgressState& state, int nBarWidth) {
    const bool bKnown = state.nTotal > 0;
    const int nDone = bKnown ? std::clamp(state.nDone, 0, state.nTotal) : std::max(0, state.nDone);
    const double dShare = bKnown ? static_cast<double>(nDone) / state.nTotal : 0.0;
    const int nFilled = static_cast<int>(std::floor(dShare * nBarWidth));

    std::string strLine = state.strPort + " [";
    strLine += std::string(static_cast<size_t>(nFilled), '#');
    strLine += std::string(static_cast<size_t>(nBarWidth - nFilled), '.');
    strLine += "]";

    char acText[96];
    if (bKnown) {
        std::snprintf(acText, sizeof acText, " %3d%% %5d/%d", static_cast<int>(dShare * 100), nDone,
                      state.nTotal);
    } else {
        std::snprintf(acText, sizeof acText, "    ? %5d/?", nDone);
    }
    strLine += acText;

    const double dLeft = SecondsLeft(state);
    if (dLeft < 0) {
        strLine += "  --:-- left";
    } else {
        const long nSeconds = std::lround(dLeft);
        std::snprintf(acText, sizeof acText, "  %ld:%02ld left", nSeconds / 60, nSeconds % 60);
        strLine += acText;
    }
    return strLine;
}
