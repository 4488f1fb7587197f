#include "app/qt/PortWatcher.h"

PortWatcher::PortWatcher(const QString& strDir, bool bPollIfUnwatchable, QObject* pParent)
    : QObject(pParent) {
    settle.setSingleShot(true);
    settle.setInterval(kSettleMs);
    connect(&settle, &QTimer::timeout, this, &PortWatcher::changed);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, [this] { settle.start(); });
    if (!watcher.addPath(strDir) && bPollIfUnwatchable) {
        connect(&poll, &QTimer::timeout, this, &PortWatcher::changed);
        poll.start(kPollMs);
    }
}
