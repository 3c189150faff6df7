#include "settings_writer.h"

namespace frontend {

SettingsWriter::SettingsWriter(std::string path) : file_(std::move(path)), thread_([this] { run(); }) {}

SettingsWriter::~SettingsWriter()
{
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SettingsWriter::post(std::vector<platform::IniEntry> entries)
{
    {
        std::lock_guard guard(lock_);
        waiting_.insert(waiting_.end(), std::make_move_iterator(entries.begin()),
                        std::make_move_iterator(entries.end()));
    }
    changed_.notify_all();
}

void SettingsWriter::waitWritten()
{
    std::unique_lock guard(lock_);
    changed_.wait(guard, [this] { return waiting_.empty() && !writing_; });
}

void SettingsWriter::run()
{
    std::unique_lock guard(lock_);
    for (;;) {
        changed_.wait(guard, [this] { return quit_ || !waiting_.empty(); });
        if (waiting_.empty()) return; // quit, nothing left
        // Everything queued meanwhile goes into one replacement of the file.
        std::vector<platform::IniEntry> entries;
        entries.swap(waiting_);
        writing_ = true;
        guard.unlock();
        file_.write(entries);
        guard.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

} // namespace frontend
