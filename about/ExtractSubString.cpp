#include "about/ExtractSubString.h"

bool ExtractSubString(std::string& strOut, std::string_view strFull, int nSub, char chSep) {
    strOut.clear();
    if (nSub < 0) {
        return false;
    }
    size_t nStart = 0;
    for (int i = 0; i < nSub; ++i) {
        const size_t nSep = strFull.find(chSep, nStart);
        if (nSep == std::string_view::npos) {
            return false;
        }
        nStart = nSep + 1;
    }
    const size_t nEnd = strFull.find(chSep, nStart);
    strOut = strFull.substr(nStart, nEnd == std::string_view::npos ? nEnd : nEnd - nStart);
    return true;
}
