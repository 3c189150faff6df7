#include "score_watcher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace zemfe {

namespace {

// Empty when the file cannot be read (for instance between the removal of
// the old file and the rename of the new one).
QByteArray contentDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

} // namespace

ScoreWatcher::ScoreWatcher(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &ScoreWatcher::check);
    auto later = [this] {
        rewatch();
        settle_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, later);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, later);
}

void ScoreWatcher::watch(const QString& path)
{
    if (path == path_) return;
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    settle_.stop();
    path_ = path;
    if (path_.isEmpty()) return;
    digest_ = contentDigest(path_);
    watcher_.addPath(QFileInfo(path_).absolutePath());
    rewatch();
}

// A file replaced by a rename is a new file: watch it again.
void ScoreWatcher::rewatch()
{
    if (!path_.isEmpty() && !watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void ScoreWatcher::check()
{
    const QByteArray digest = contentDigest(path_);
    if (digest.isEmpty() || digest == digest_) return;
    digest_ = digest;
    emit changed(path_);
}

} // namespace zemfe
