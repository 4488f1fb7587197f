// Where the emulated Handheld's "Leds: .." lines go: the platform's debug output.
#pragma once

#include <string>

class DebugSink {
public:
    virtual ~DebugSink() = default;
    virtual void Output(const std::string& strText) = 0;
};

// Discards everything; the default when nobody listens.
class NullDebugSink : public DebugSink {
public:
    void Output(const std::string&) override {}
};
