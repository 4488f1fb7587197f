#include "serial/win32/OutputDebugSink.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

void OutputDebugSink::Output(const std::string& strText) {
    OutputDebugStringA(strText.c_str());
}
