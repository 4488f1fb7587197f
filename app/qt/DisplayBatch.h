// The trace log and the counters change in bursts: a transfer brings a request, a
// reply and two counter updates every few milliseconds, and each change would lay out,
// repaint and announce itself to assistive technology. Here they are gathered and
// applied together, in the logic's order: the log at most once per frame, the counters
// (numbers to read, not to watch, and the dearest line edits to lay out and paint) at
// most once per counter period. The window applies everything at once before any other
// change it shows, so the screen only passes through states the logic has had; the
// text the logic wrote stays exact and complete. The lamps are the exception: they
// show the log first, but not the counters, which would otherwise be drawn on every
// step of a fast playback.
//
// Once a change is due, the batch waits (at most another frame) for a request to go
// out: the reply cannot come before the request and the reply have crossed the line,
// so drawing then costs the transfer no time. One timer stands for the latest moment,
// and whether a change is due is read from a clock: during playback at the fastest step
// a timer per frame would wake the window more often than the steps do.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <map>
#include <string>

class CPathSpellings;
class QLineEdit;
class QPlainTextEdit;

class CDisplayBatch : public QObject {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 16;
    static constexpr int kCounterMs = 100;

    CDisplayBatch(QPlainTextEdit& log, const CPathSpellings& paths, QObject* pParent);

    // Trace log: replace, append, then show the end or leave the view where it is.
    void SetTrace(const std::string& strText);
    void AppendTrace(const std::string& strText);
    void ScrollTraceToEnd();
    void RedrawTrace();
    // The log as the logic wrote it, whether applied yet or not.
    const std::string& TraceText() const { return strTrace; }

    // A one-line box (the counters): its text, Windows-1252. bSent: a request has just
    // been written (the Tx counter).
    void SetBoxText(QLineEdit& box, const std::string& strText, bool bSent);
    // The box's text as last set here, or false when nothing is waiting for it.
    bool PendingBoxText(const QLineEdit& box, std::string& strText) const;

    // Shows everything gathered so far, now.
    void Apply();
    // Shows the log now; the counters when their period has passed.
    void ApplyTrace();

private:
    // How long the first change waiting of each kind has waited, or -1.
    qint64 TraceAge() const { return bTracePending ? sinceTrace.elapsed() : -1; }
    qint64 BoxAge() const { return mapBoxTexts.empty() ? -1 : sinceBoxes.elapsed(); }
    void TracePending();
    // Shows what is due, and waits for the rest.
    void ApplyDue();
    void Arm();
    void ShowTrace();
    void ShowBoxes();

    QPlainTextEdit& log;
    const CPathSpellings& paths;
    QTimer timer;  // the latest moment for the change that has waited longest
    QElapsedTimer sinceTrace;
    QElapsedTimer sinceBoxes;
    bool bTracePending = false;
    std::string strTrace;        // whole text, as the logic has it
    bool bReplaceTrace = false;  // the shown text is stale as a whole
    size_t nTraceShown = 0;      // bytes of strTrace the log shows
    bool bScrollToEnd = false;   // the last request was to show the end
    std::map<QLineEdit*, std::string> mapBoxTexts;
};
