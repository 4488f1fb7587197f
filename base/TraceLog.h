// The trace log: the text every part writes its progress into. The log keeps the whole
// text and tells its listener what changed, so a window shows it without keeping a copy.
#pragma once

#include <string>

class TraceListener {
public:
    virtual ~TraceListener() = default;
    // The whole text was replaced.
    virtual void OnTraceSet(const std::string& strText, bool bScrollToEnd) = 0;
    // strText was added at the end.
    virtual void OnTraceAppend(const std::string& strText, bool bScrollToEnd) = 0;
};

class CTraceLog {
public:
    void SetListener(TraceListener* pListenerArg) { pListener = pListenerArg; }
    void SetTrace(const std::string& strText, bool bScrollToEnd = true);
    void AppendTrace(const std::string& strText, bool bScrollToEnd = true);
    const std::string& GetTrace() const { return strTrace; }

private:
    TraceListener* pListener = nullptr;
    std::string strTrace;
};
