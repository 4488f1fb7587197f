// The emulated Handheld's debug lines go to the logging category "glowdesk.emulator",
// which is quiet unless QT_LOGGING_RULES="glowdesk.emulator.debug=true".
#pragma once

#include <QLoggingCategory>

#include "base/DebugSink.h"

Q_DECLARE_LOGGING_CATEGORY(lcEmulator)

class QtDebugSink : public DebugSink {
public:
    void Output(const std::string& strText) override;
};
