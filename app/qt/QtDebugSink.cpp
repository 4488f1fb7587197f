#include "app/qt/QtDebugSink.h"

#include "base/qt/Cp1252.h"

Q_LOGGING_CATEGORY(lcEmulator, "glowdesk.emulator", QtWarningMsg)

void QtDebugSink::Output(const std::string& strText) {
    // The lines carry their own "\r\n"; the logger adds its own line end.
    qCDebug(lcEmulator).noquote() << FromCp1252(strText).trimmed();
}
