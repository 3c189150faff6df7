#include "frontend/settings.h"

#include "platform/ini_file.h"

#include "settings_writer.h"

#include <algorithm>
#include <cstdio>

namespace frontend {

namespace {

constexpr const char* kDev = "Dev";
constexpr const char* kZemc = "ZEMC";
constexpr const char* kAudsink = "AUDSINK";
constexpr const char* kPlug = "Plug";
constexpr const char* kOption = "Option";

std::string portKey(int i)
{
    char key[8];
    std::snprintf(key, sizeof key, "MIDI%.2d", i);
    return key;
}

} // namespace

Settings::Settings(const std::string& path, std::string mapperWave, std::string mapperMidi)
    : mapperWave_(std::move(mapperWave)), mapperMidi_(std::move(mapperMidi))
{
    if (path.empty()) return;
    file_ = std::make_unique<platform::IniFile>(path);
    writer_ = std::make_unique<SettingsWriter>(path);
}

Settings::~Settings() = default;

int Settings::readInt(const char* section, const char* key, int fallback, int low, int high)
{
    const int read = file_ ? file_->readInt(section, key, fallback) : fallback;
    const int value = std::clamp(read, low, high);
    writeBack_.push_back({section, key, std::to_string(value)});
    return value;
}

std::string Settings::readText(const char* section, const char* key, const std::string& fallback)
{
    const std::string value = file_ ? file_->readText(section, key).value_or(fallback) : fallback;
    writeBack_.push_back({section, key, value});
    return value;
}

void Settings::flush()
{
    if (file_) file_->write(writeBack_);
    writeBack_.clear();
}

DeviceSettings Settings::readDevices()
{
    DeviceSettings d;
    d.portCount = readInt(kDev, "MIDIDevs", kMaxPorts, 1, kMaxPorts);
    d.waveDevice = readText(kDev, "WAVE00", mapperWave_);
    for (int i = 0; i < kMaxPorts; ++i)
        d.midi[size_t(i)] = readText(kDev, portKey(i).c_str(), i == 0 ? mapperMidi_ : "");
    d.streamBufferMs = readInt(kAudsink, "StrBufSize", 200, 0, kMaxStreamBufferMs);
    flush();
    return d;
}

void Settings::writeDevices(const DeviceSettings& d)
{
    if (!file_) return;
    std::vector<platform::IniEntry> entries = {{kDev, "WAVE00", d.waveDevice}};
    for (int i = 0; i < kMaxPorts; ++i) entries.push_back({kDev, portKey(i), d.midi[size_t(i)]});
    entries.push_back({kDev, "MIDIDevs", std::to_string(std::clamp(d.portCount, 1, kMaxPorts))});
    entries.push_back({kAudsink, "StrBufSize", std::to_string(std::clamp(d.streamBufferMs, 0, kMaxStreamBufferMs))});
    file_->write(entries);
}

uint16_t Settings::readSwitches()
{
    const auto mask = static_cast<uint16_t>(readInt(kZemc, "Switch", 0, 0, 0xFFFF));
    flush();
    return mask;
}

void Settings::writeSwitches(uint16_t mask)
{
    if (file_) file_->write(kZemc, "Switch", std::to_string(mask));
}

bool Settings::readReloadOnChange()
{
    const bool on = (file_ ? file_->readInt(kOption, "ReloadOnChange", 1) : 1) != 0;
    writeReloadOnChange(on);
    return on;
}

void Settings::writeReloadOnChange(bool on)
{
    if (file_) file_->write(kOption, "ReloadOnChange", on ? "1" : "0");
}

std::string Settings::decoderFor(const std::string& upperExtension, const std::string& defaultName)
{
    std::lock_guard guard(decodersLock_);
    if (const auto known = decoders_.find(upperExtension); known != decoders_.end()) return known->second;
    const std::optional<std::string> stored = file_ ? file_->readText(kPlug, upperExtension) : std::nullopt;
    const std::string name = stored.value_or(defaultName);
    decoders_.emplace(upperExtension, name);
    if (writer_ && !stored) writer_->post({{kPlug, upperExtension, name}});
    return name;
}

void Settings::waitWritten()
{
    if (writer_) writer_->waitWritten();
}

} // namespace frontend
