#include "app/qt/DisplayBatch.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

#include "app/qt/PathSpellings.h"
#include "base/qt/Cp1252.h"

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
    connect(&timer, &QTimer::timeout, this, &CDisplayBatch::ApplyDue);
}

void CDisplayBatch::Arm() {
    // Latest moments: the log two frames after its first change, the counters one
    // period after theirs.
    qint64 nWait = -1;
    if (const qint64 nAge = TraceAge(); nAge >= 0)
        nWait = 2 * kFrameMs - nAge;
    if (const qint64 nAge = BoxAge(); nAge >= 0 && (nWait < 0 || kCounterMs - nAge < nWait))
        nWait = kCounterMs - nAge;
    if (nWait < 0)
        timer.stop();
    else
        timer.start(static_cast<int>(std::max<qint64>(nWait, 0)));
}

void CDisplayBatch::ApplyDue() {
    // Due: the log a frame after its first change, the counters a frame before their
    // period ends.
    if (TraceAge() >= kFrameMs)
        ShowTrace();
    if (BoxAge() >= kCounterMs - kFrameMs)
        ShowBoxes();
    Arm();
}

void CDisplayBatch::TracePending() {
    if (bTracePending)
        return;
    bTracePending = true;
    sinceTrace.start();
    Arm();
}

void CDisplayBatch::SetTrace(const std::string& strText) {
    strTrace = strText;
    bReplaceTrace = true;
    nTraceShown = 0;
    TracePending();
}

void CDisplayBatch::AppendTrace(const std::string& strText) {
    strTrace += strText;
    TracePending();
}

void CDisplayBatch::ScrollTraceToEnd() {
    bScrollToEnd = true;
    TracePending();
}

void CDisplayBatch::RedrawTrace() {
    bScrollToEnd = false;
    TracePending();
}

void CDisplayBatch::SetBoxText(QLineEdit& box, const std::string& strText, bool bSent) {
    const bool bFirst = mapBoxTexts.empty();
    mapBoxTexts[&box] = strText;
    if (bFirst) {
        sinceBoxes.start();
        Arm();
    }
    if (bSent)
        ApplyDue();
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
    ShowTrace();
    ShowBoxes();
}

void CDisplayBatch::ApplyTrace() {
    if (!bTracePending)
        return;
    ShowTrace();
    Arm();
}

void CDisplayBatch::ShowTrace() {
    if (!bTracePending)
        return;
    bTracePending = false;
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
}

void CDisplayBatch::ShowBoxes() {
    for (auto& [pBox, strText] : mapBoxTexts) {
        pBox->setText(FromCp1252(strText));
        pBox->setCursorPosition(0);
    }
    mapBoxTexts.clear();
}
