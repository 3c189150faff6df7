// Writes settings keys on a thread of its own, so that a caller on the
// playback thread never waits for the file system.
#pragma once

#include "platform/ini_file.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace frontend {

class SettingsWriter {
public:
    explicit SettingsWriter(std::string path);
    // Writes what is still waiting, then ends the thread.
    ~SettingsWriter();
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;

    // Queues entries; returns at once.
    void post(std::vector<platform::IniEntry> entries);
    // Returns once everything posted so far is written.
    void waitWritten();

private:
    void run();

    platform::IniFile file_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<platform::IniEntry> waiting_;
    bool writing_ = false;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace frontend
