#include "base/TraceLog.h"

void CTraceLog::SetTrace(const std::string& strText, bool bScrollToEnd) {
    strTrace = strText;
    if (pListener != nullptr)
        pListener->OnTraceSet(strTrace, bScrollToEnd);
}

void CTraceLog::AppendTrace(const std::string& strText, bool bScrollToEnd) {
    // The log only grows here: only the appended text travels.
    strTrace += strText;
    if (pListener != nullptr)
        pListener->OnTraceAppend(strText, bScrollToEnd);
}
