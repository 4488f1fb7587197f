#include "cli/CommandArgs.h"

#include <algorithm>
#include <cstdlib>

int ParseNumber(const std::string& str, int nMin, int nMax, size_t nMaxDigits) {
    if (str.empty() || str.size() > nMaxDigits ||
        !std::all_of(str.begin(), str.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return -1;
    const int n = std::atoi(str.c_str());
    return n >= nMin && n <= nMax ? n : -1;
}

std::string TakeFileArg(CliOptions& opts) {
    opts.strFile = opts.aArgs[0];
    return {};
}

std::string TakeProgArg(CliOptions& opts) {
    opts.nProg = ParseNumber(opts.aArgs[0], 1, 9);
    if (opts.nProg < 0)
        return "program number must be 1-9: " + opts.aArgs[0];
    return {};
}

std::string TakeProgAndFileArgs(CliOptions& opts) {
    std::string strError = TakeProgArg(opts);
    if (strError.empty())
        opts.strFile = opts.aArgs[1];
    return strError;
}
