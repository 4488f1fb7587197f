// Reports that device nodes may have come or gone: watches a directory (/dev), or,
// where that cannot be watched, reports on a slow timer. A burst of changes (a node,
// then its links and rights) comes out as one report once it has settled.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class PortWatcher : public QObject {
    Q_OBJECT

public:
    static constexpr int kSettleMs = 300;
    static constexpr int kPollMs = 3000;

    // bPollIfUnwatchable false: no timer where the directory cannot be watched (on
    // Windows, where finding ports means opening them).
    PortWatcher(const QString& strDir, bool bPollIfUnwatchable, QObject* pParent = nullptr);

    bool IsWatching() const { return !watcher.directories().isEmpty(); }
    bool IsPolling() const { return poll.isActive(); }

signals:
    void changed();

private:
    QFileSystemWatcher watcher;
    QTimer settle;
    QTimer poll;
};
