#include "base/TraceText.h"

#include <cstdarg>
#include <cstdio>

std::string TraceText(const char* pFormat, ...) {
    char acBuf[256];
    va_list args;
    va_start(args, pFormat);
    const int n = std::vsnprintf(acBuf, sizeof(acBuf), pFormat, args);
    va_end(args);
    if (n < 0)
        return {};
    return std::string(acBuf, static_cast<size_t>(n) < sizeof(acBuf) ? n : sizeof(acBuf) - 1);
}
