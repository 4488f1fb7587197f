// printf-style formatting of the short texts the protocol writes into the trace log.
#pragma once

#include <string>

#if defined(__GNUC__) || defined(__clang__)
#define GLOWDESK_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define GLOWDESK_PRINTF_FORMAT
#endif

std::string TraceText(const char* pFormat, ...) GLOWDESK_PRINTF_FORMAT;
