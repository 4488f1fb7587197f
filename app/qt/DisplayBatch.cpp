#include "app/qt/DisplayBatch.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "app/qt/Cp1252.h"
#include "app/qt/PathSpellings.h"

namespace {

QString ForDisplay(const CPathSpellings& paths, const std::string& strText) {
    QString str = paths.Decode(strText);
    str.remove(QLatin1Char('\r'));
    return str;
}

}  // namespace

CDisplayBatch::CDisplayBatch(QPlainTextEdit& log, const CPathSpellings& paths, QObject* pParent)
    : QObject(pParent), log(log), paths(paths) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(2 * kFrameMs);
    connect(&timer, &QTimer::timeout, this, &CDisplayBatch::Apply);
}

void CDisplayBatch::Schedule() {
    if (bPending)
        return;
    bPending = true;
    sinceFirst.start();
    timer.start();
}

void CDisplayBatch::SetTrace(const std::string& strText) {
    strTrace = strText;
    bReplaceTrace = true;
    nTraceShown = 0;
    bTraceTouched = true;
    Schedule();
}

void CDisplayBatch::AppendTrace(const std::string& strText) {
    strTrace += strText;
    bTraceTouched = true;
    Schedule();
}

void CDisplayBatch::ScrollTraceToEnd() {
    bScrollToEnd = true;
    bTraceTouched = true;
    Schedule();
}

void CDisplayBatch::RedrawTrace() {
    bScrollToEnd = false;
    bTraceTouched = true;
    Schedule();
}

void CDisplayBatch::SetBoxText(QLineEdit& box, const std::string& strText, bool bSent) {
    mapBoxTexts[&box] = strText;
    if (bSent && IsDue())
        Apply();
    else
        Schedule();
}

bool CDisplayBatch::PendingBoxText(const QLineEdit& box, std::string& strText) const {
    auto it = mapBoxTexts.find(const_cast<QLineEdit*>(&box));
    if (it == mapBoxTexts.end())
        return false;
    strText = it->second;
    return true;
}

void CDisplayBatch::Apply() {
    timer.stop();
    if (!bPending)
        return;
    bPending = false;
    if (bTraceTouched) {
        if (bReplaceTrace) {
            log.setPlainText(ForDisplay(paths, strTrace));
        } else if (nTraceShown < strTrace.size()) {
            // Only the new text is inserted, so a long log costs nothing extra.
            QTextCursor cursor(log.document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(ForDisplay(paths, strTrace.substr(nTraceShown)));
        }
        nTraceShown = strTrace.size();
        bReplaceTrace = false;
        if (bScrollToEnd) {
            QScrollBar* pBar = log.verticalScrollBar();
            pBar->setValue(pBar->maximum());
        } else {
            log.viewport()->update();
        }
        bTraceTouched = false;
    }
    for (auto& [pBox, strText] : mapBoxTexts) {
        pBox->setText(FromCp1252(strText));
        pBox->setCursorPosition(0);
    }
    mapBoxTexts.clear();
}
