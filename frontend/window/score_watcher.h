// Watches one file for changes of its content, also when an editor saves by
// writing a new file and renaming it over the old one (the watch on the old
// file ends then, so the folder is watched too and the file taken up again).
#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace zemfe {

class ScoreWatcher : public QObject {
    Q_OBJECT
public:
    explicit ScoreWatcher(QObject* parent = nullptr);

    // Starts watching path (its present content is the starting point);
    // an empty path stops watching.
    void watch(const QString& path);
    const QString& path() const { return path_; }

    // Writes by one save come in bursts; the content is read this long
    // after the last event.
    static constexpr int kSettleMs = 15;

signals:
    // The content differs from what it was at the last report or at watch().
    void changed(const QString& path);

private:
    void rewatch();
    void check();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    QByteArray digest_;
};

} // namespace zemfe
