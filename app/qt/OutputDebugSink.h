// The emulated Handheld's LED lines on the Windows debug output (a debugger or a
// debug-output viewer shows them).
#pragma once

#include "base/DebugSink.h"

class OutputDebugSink : public DebugSink {
public:
    void Output(const std::string& strText) override;
};
