// The score watcher reports each save once, whichever way the editor
// writes, and nothing when the content stayed the same.
#include "gui_toolkit.h"

#include <score_watcher.h>
#include <temp_dir.h>

#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

class ScoreWatcherTest : public testing::Test, zemfe_test::WithApplication {
protected:
    zem_test::TempDir dir;
    zemfe::ScoreWatcher watcher;
};

// How an editor puts the new text on disk.
using Save = std::function<void(const zem_test::TempDir&, const std::string& name, const std::string& text)>;

void inPlace(const zem_test::TempDir& dir, const std::string& name, const std::string& text) { dir.write(name, text); }

void byRename(const zem_test::TempDir& dir, const std::string& name, const std::string& text)
{
    dir.write(name + ".swp", text);
    ASSERT_EQ(std::rename(dir.file(name + ".swp").c_str(), dir.file(name).c_str()), 0);
}

void removeThenWrite(const zem_test::TempDir& dir, const std::string& name, const std::string& text)
{
    ASSERT_EQ(std::remove(dir.file(name).c_str()), 0);
    QTest::qWait(5);
    dir.write(name, text);
}

TEST_F(ScoreWatcherTest, EverySaveIsReportedOnceAndUnchangedSavesNot)
{
    struct Case {
        const char* how;
        Save save;
        const char* text;
        int reports;
    };
    const Case cases[] = {
        {"in place", inPlace, "c d e", 1},
        {"by rename", byRename, "c d f", 1},
        {"by rename again", byRename, "c d g", 1},
        {"removed and written", removeThenWrite, "c d a", 1},
        {"same text in place", inPlace, "c d a", 0},
        {"same text by rename", byRename, "c d a", 0},
        {"in place after renames", inPlace, "c d b", 1},
    };
    dir.write("song.kvt", "c d c");
    const QString path = QString::fromStdString(dir.file("song.kvt"));
    watcher.watch(path);
    for (const Case& c : cases) {
        QSignalSpy changed(&watcher, &zemfe::ScoreWatcher::changed);
        c.save(dir, "song.kvt", c.text);
        QTest::qWait(200);
        EXPECT_EQ(changed.count(), c.reports) << c.how;
        if (!changed.isEmpty()) {
            EXPECT_EQ(changed.at(0).at(0).toString(), path) << c.how;
        }
    }
}

TEST_F(ScoreWatcherTest, OtherFilesAndAStoppedWatchStaySilent)
{
    dir.write("song.kvt", "c");
    watcher.watch(QString::fromStdString(dir.file("song.kvt")));
    QSignalSpy changed(&watcher, &zemfe::ScoreWatcher::changed);
    dir.write("other.kvt", "d");
    byRename(dir, "notes.txt", "e");
    QTest::qWait(200);
    EXPECT_EQ(changed.count(), 0);
    watcher.watch(QString());
    dir.write("song.kvt", "c c");
    QTest::qWait(200);
    EXPECT_EQ(changed.count(), 0);
}

} // namespace
