// Built on Windows only: elsewhere the window's debug lines go to Qt's logging.
#ifdef _WIN32
#include "app/qt/OutputDebugSink.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

void OutputDebugSink::Output(const std::string& strText) {
    OutputDebugStringA(strText.c_str());
}

#endif
