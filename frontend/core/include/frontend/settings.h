// The player's settings file, zemfe.ini: every key the player reads, with
// its default, written straight back so the file lists every key after the
// first run.  Values out of range are clamped before use and written back
// clamped.
#pragma once

#include "frontend/settings_location.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
class IniFile;
struct IniEntry;
} // namespace platform

namespace frontend {

class SettingsWriter;
inline constexpr int kMaxPorts = 16;
inline constexpr int kMaxStreamBufferMs = 1000; // the dialog's track bar: 0..100 in steps of 10 ms

// The device dialog's values.
struct DeviceSettings {
    std::string waveDevice;                  // "WAVE00"; empty: no wave device
    std::array<std::string, kMaxPorts> midi; // "MIDI00" .. "MIDI15"
    int portCount = kMaxPorts;               // "MIDIDevs", 1..16
    int streamBufferMs = 200;                // "StrBufSize", 0..1000
};

class Settings {
public:
    // path empty: defaults only, nothing written.  mapperWave and mapperMidi
    // are the defaults of "WAVE00" and "MIDI00".
    Settings(const std::string& path, std::string mapperWave, std::string mapperMidi);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Reads (and writes back) section "Dev" and "AUDSINK".
    DeviceSettings readDevices();
    void writeDevices(const DeviceSettings& devices);
    // Section "ZEMC", key "Switch".
    uint16_t readSwitches();
    void writeSwitches(uint16_t mask);
    // Section "Option", key "ReloadOnChange": any nonzero value is on.
    bool readReloadOnChange();
    void writeReloadOnChange(bool on);
    // Section "Plug": the decoder library of an extension (upper-cased for
    // the key), defaultName when missing.  The file is read once per
    // extension; a missing key is written back once, by a thread of its
    // own, so the playback thread that asks never waits for the file.  Any
    // thread may call it.
    std::string decoderFor(const std::string& upperExtension, const std::string& defaultName);
    // Returns once the keys decoderFor wrote back are in the file.
    void waitWritten();

private:
    // Reads a value; its write-back is collected in writeBack_ until flush().
    int readInt(const char* section, const char* key, int fallback, int low, int high);
    std::string readText(const char* section, const char* key, const std::string& fallback);
    void flush();

    std::string mapperWave_;
    std::string mapperMidi_;
    std::unique_ptr<platform::IniFile> file_;
    std::vector<platform::IniEntry> writeBack_;
    std::mutex decodersLock_;
    std::map<std::string, std::string> decoders_; // by upper-case extension
    std::unique_ptr<SettingsWriter> writer_;
};

} // namespace frontend
