// The session: start-up, the play path, the state table and the playback
// thread.  The playback thread drives the engine one millisecond at a time
// so that every event knows its millisecond; ports of the built-in
// synthesizer take each event for the audio frame of that millisecond plus
// a constant latency, and the thread's clock is the synthesizer's audio
// clock, so the song follows the sound card and not the other way round.
#include "frontend/session.h"
#include "frontend/compile_image.h"
#include "frontend/wave_devices.h"

#include "host_callbacks.h"
#include "message_log.h"
#include "midi_port_set.h"
#include "single_instance.h"
#include "start_point.h"

#include "audsink_bridge/sound_bridge.h"
#include "host/engine_options.h"
#include "host/silent_start.h"
#include "platform/dynload.h"
#include "zemplay.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

namespace frontend {

namespace {

constexpr uint32_t kMinimumVersion = 0x2D01;
constexpr auto kPassInterval = std::chrono::milliseconds(7);
// Wider than one audio buffer (11.6 ms) plus one pass (7 ms) plus slack for
// a busy machine, so an event is almost never queued after its frame.
constexpr uint64_t kLatencyMs = 25;
constexpr size_t kTextBuffer = 4096;
// The longest a song's end rings out before the ports close, in song time
// (the audio clock of the synthesizer when one plays); the wall clock ends
// it too, later, should that clock stall.
constexpr uint64_t kLongestTailMs = 3000;
constexpr auto kLongestTailWall = std::chrono::seconds(6);

// Waits (briefly, a stalled device cannot hold the session) until the audio
// clock has reached frame.
void awaitFrame(const platform::MidiOutPort& clock, uint64_t frame)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(4 * kLatencyMs);
    while (clock.audioFrames() < frame && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// The synthesizer's clock counts frames as the output pulls them, one
// callback (512 frames, 11.6 ms) at a time, before they sound: on average
// it runs half a callback ahead.
constexpr int64_t kClockAheadMs = 6;

// How long after the pass a unit's events are heard: a synthesizer port
// sounds them at the audio frame of their millisecond plus the latency,
// other ports at once.
std::chrono::milliseconds heardAfter(bool timed, uint64_t unit, uint64_t now)
{
    return std::chrono::milliseconds(timed ? int64_t(unit + kLatencyMs) - int64_t(now) + kClockAheadMs : 0);
}

bool tooOld(uint32_t version) { return (version >> 24) != 0 || (version & 0xFFFFFF) < kMinimumVersion; }

std::string absolutePath(const std::string& path)
{
    if (path.empty() || path[0] == '/') return path;
    std::error_code error;
    const auto full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

// One text of the engine through its own buffer: the language and
// character set stay intact while the title and notice are fetched.
std::string engineText(dp_player* player, int (*op)(dp_player*, char*, size_t))
{
    char buffer[kTextBuffer];
    const int length = op(player, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? std::min<size_t>(size_t(length), kTextBuffer - 1) : 0);
}

} // namespace

const char* startupMessage(StartupFailure failure)
{
    switch (failure) {
    case StartupFailure::EngineTooOld: return "ZEMPLAY.DLL's version too old";
    case StartupFailure::AudsinkTooOld: return "AUDSINK.DLL's version too old";
    case StartupFailure::NoAudsink: return "cannot create AUDSINK instance";
    case StartupFailure::NoStreamInstance: return "cannot create AUDSINK stream instance";
    case StartupFailure::NoLockFile: return "cannot open the lock file";
    default: return "";
    }
}

struct Session::Impl {
    explicit Impl(const SessionConfig& c)
        : config(c),
          devicesList(c.devices ? *c.devices : systemMidiDevices()),
          ports(devicesList, [this](Message message) { log.add(std::move(message)); }),
          sound({.streamFailure = [this](const StreamFailure& failure) { log.add(failure); },
                 .decoder =
                     [this](const audsink_bridge::DecoderChoice& choice) {
                         return settings->decoderFor(choice.upperExtension, choice.defaultName);
                     },
                 .loading = [this] { host.blocked = true; }}),
          host{.ports = ports, .log = log, .follow = &follow}
    {}

    // --- under `lock` ---------------------------------------------------
    void selectLocked(const std::string& path);
    int portCount() const;
    void startLocked(uint32_t fromUnits = 0);
    using Timeline = std::shared_future<std::shared_ptr<const host::SongTimeline>>;
    // The timeline of the image a play from a place starts (compiled first
    // when there is none); invalid when the file does not load.
    Timeline timelineLocked();
    // recorded: the timeline of the image whose recording cancelToken
    // names; false when the image changed since.
    bool playFromLocked(const StartPoint& start, const host::SongTimeline& recorded,
                        const std::shared_ptr<std::atomic<bool>>& cancelToken);
    bool switchLocked(std::vector<uint8_t> next, kvt::SourceMap nextMap);
    void pauseLocked();
    void stopLocked();
    void unloadLocked();
    bool loadImage();
    void recordTimeline();
    void dropTimeline();
    void showTexts();
    void resetDisplays();
    void pass();
    uint64_t nowMs() const;
    void run();
    void publishPlayback();
    void setState(PlayerState state);
    void setCaption(const std::string& caption);

    SessionConfig config;
    MidiDevices& devicesList;
    std::unique_ptr<SingleInstance> single;
    std::unique_ptr<Settings> settings;
    MessageLog log;
    MidiPortSet ports;
    audsink_bridge::SoundBridge sound;
    FollowPublisher follow;
    HostContext host;
    HostMidi midi{host};
    host::Sinks sinks{&midi, &sound};

    std::mutex lock; // the session lock: player, image, ports, streams, flags
    DeviceSettings devices;
    uint16_t switches = 0;
    std::string currentFile;
    bool loaded = false;
    std::atomic<bool> playing{false}; // also read by the thread before it takes the lock
    std::vector<uint8_t> image;
    kvt::SourceMap sourceMap; // where image's words are in currentFile
    // When each track and the bar counter move in a play of image from the
    // top, recorded beside the play for plays from a place.
    Timeline timeline;
    std::shared_ptr<std::atomic<bool>> timelineCancel; // also names the recording
    bool prepared = false;                             // image holds the selected file, loaded by prepare()
    dp_player* player = nullptr;
    int playerPorts = 0;
    // After a switch: the user value of the player, alive as long as it.
    std::unique_ptr<host::SilentStart> silent;
    uint64_t lastTick = 0;
    uint32_t unitsPlayed = 0; // the song position a switch catches up to
    uint32_t reloads = 0;     // live reloads so far
    // Set once the song has ended: its last notes are released and ring out
    // until the ports are silent or the tail is as long as it may be.
    struct Tail {
        uint64_t endsMs;
        std::chrono::steady_clock::time_point endsWall;
    };
    std::optional<Tail> tail;

    mutable std::mutex publishLock; // the published snapshot, held briefly
    Snapshot published;
    uint32_t publishedTimebase = 0;
    uint32_t publishedPeriod = 0;
    BarPosition publishedBar;
    bool barKnown = false;

    std::atomic<bool> quit{false};
    std::thread thread;
};

uint64_t Session::Impl::nowMs() const
{
    if (const platform::MidiOutPort* clock = ports.clockPort())
        return clock->audioFrames() * 1000 / uint64_t(clock->audioRate());
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void Session::Impl::setState(PlayerState state)
{
    std::lock_guard guard(publishLock);
    published.state = state;
    published.buttonsEnabled = state != PlayerState::Empty;
    published.deviceMenuEnabled = player == nullptr;
    ++published.serial;
}

void Session::Impl::setCaption(const std::string& caption)
{
    std::lock_guard guard(publishLock);
    published.caption = caption;
    ++published.serial;
}

void Session::Impl::selectLocked(const std::string& path)
{
    if (loaded) unloadLocked();
    currentFile = absolutePath(path);
    if (currentFile.empty()) return;
    loaded = true;
    setCaption(currentFile);
    setState(PlayerState::Selected);
}

bool Session::Impl::loadImage()
{
    LoadedScore score = loadScore(currentFile, switches, [this](const CompileMessage& message) { log.add(message); });
    switch (score.failure) {
    case LoadFailure::Unreadable: setCaption("error:File cannot load"); return false;
    case LoadFailure::Compile: setCaption("KVT compile error"); return false;
    case LoadFailure::None: break;
    }
    image = std::move(*score.image);
    sourceMap = std::move(score.sourceMap);
    recordTimeline();
    return true;
}

void Session::Impl::recordTimeline()
{
    dropTimeline();
    auto copy = std::make_shared<const std::vector<uint8_t>>(image);
    timelineCancel = std::make_shared<std::atomic<bool>>(false);
    const host::SeekLimits limits{.ports = portCount(), .loopLimit = config.loopLimit, .cancel = timelineCancel.get()};
    timeline = std::async(std::launch::async, [copy, limits, keep = timelineCancel] {
                   return std::make_shared<const host::SongTimeline>(host::SongTimeline::record(*copy, limits));
               }).share();
}

// The recording of an image that is gone stops at its next check.
void Session::Impl::dropTimeline()
{
    if (timelineCancel) *timelineCancel = true;
    timeline = {};
    timelineCancel.reset();
}

int Session::Impl::portCount() const
{
    return config.overridePorts ? std::clamp(int(config.portNames.size()), 1, kMaxPorts) : devices.portCount;
}

// fromUnits: the song starts that far in, caught up silently.
void Session::Impl::startLocked(uint32_t fromUnits)
{
    if (!loaded) return;
    if (!prepared) {
        stopLocked();
        if (!loadImage()) return;
    }
    prepared = false;
    const int portCount = this->portCount();
    std::vector<std::string> names =
        config.overridePorts ? config.portNames : std::vector<std::string>(devices.midi.begin(), devices.midi.end());
    names.resize(size_t(portCount));
    ports.open(names);
    sound.setPieceFolder(std::filesystem::path(currentFile).parent_path().string());
    sound.setStreamBufferMs(uint32_t(devices.streamBufferMs));
    host.restart();
    unitsPlayed = fromUnits;
    playerPorts = portCount;
    int error = 0;
    if (fromUnits) silent = std::make_unique<host::SilentStart>(sinks);
    player = host::createEngine(portCount, image.data(), image.size(), silent ? silent->sinks() : sinks, &error);
    if (!player) {
        setCaption("dp_const() failed");
        return;
    }
    host.player = player;
    if (silent) silent->catchUp(player, fromUnits);
    follow.start(sourceMap, currentFile);
    showTexts();
    resetDisplays();
    pauseLocked();
}

// The new instance goes on where the old one stands: it runs silently to
// the units played so far and resends each used channel's state.  Notes
// that sound now and that the new image also holds here (same track, port,
// channel and key) sound on untouched; the old instance's other notes are
// released.  Release and resend take the frame of the current position,
// after what the old instance has already queued for the synthesizer.
bool Session::Impl::switchLocked(std::vector<uint8_t> next, kvt::SourceMap nextMap)
{
    if (!player) return false;
    auto start = std::make_unique<host::SilentStart>(sinks);
    int error = 0;
    dp_player* fresh = host::createEngine(playerPorts, next.data(), next.size(), start->sinks(), &error);
    if (!fresh) {
        log.add(ReloadRefused{});
        return false;
    }
    if (const platform::MidiOutPort* clock = ports.clockPort())
        ports.setEventFrame((lastTick + kLatencyMs) * uint64_t(clock->audioRate()) / 1000);
    dp_player* old = player;
    // The tick callback reads the bar counter through host.player.
    player = fresh;
    host.player = fresh;
    start->catchUp(fresh, unitsPlayed);
    const host::HeldNotes kept = host.held.common(start->heldAtSwitch());
    host.keep = &kept;
    old->release_notes(old, DP_ALL_PORTS, DP_ALL_CHANNELS);
    old->close(old);
    host.keep = nullptr;
    ports.setEventFrame(std::nullopt);
    image = std::move(next);
    sourceMap = std::move(nextMap);
    recordTimeline();
    follow.start(sourceMap, currentFile);
    silent = std::move(start);
    showTexts();
    return true;
}

// The playing image is kept (a click in a score view restarts at once);
// without one the file is compiled first.
Session::Impl::Timeline Session::Impl::timelineLocked()
{
    if (!loaded) return {};
    if (!player && !prepared) {
        stopLocked();
        if (!loadImage()) return {};
        prepared = true;
    }
    if (!timeline.valid()) recordTimeline();
    return timeline;
}

// The place is looked up in the image's timeline before anything stops.
bool Session::Impl::playFromLocked(const StartPoint& start, const host::SongTimeline& recorded,
                                   const std::shared_ptr<std::atomic<bool>>& cancelToken)
{
    if (timelineCancel != cancelToken) return false;
    std::string error;
    const auto units = unitsBeforePlace(start, sourceMap, recorded, &error);
    if (!units) {
        log.add(StartRefused{error});
        return false;
    }
    std::vector<uint8_t> keptImage = std::move(image);
    kvt::SourceMap keptMap = std::move(sourceMap);
    Timeline keptTimeline = std::move(timeline);
    std::shared_ptr<std::atomic<bool>> keptToken = std::move(timelineCancel);
    stopLocked();
    image = std::move(keptImage);
    sourceMap = std::move(keptMap);
    timeline = std::move(keptTimeline);
    timelineCancel = std::move(keptToken);
    prepared = true;
    startLocked(*units);
    return player != nullptr;
}

void Session::Impl::showTexts()
{
    const std::string language = engineText(player, player->meta190_text);
    const std::string charset = engineText(player, player->meta191_text);
    const ConvertedText title = convertText(engineText(player, player->title_text), language, charset);
    const ConvertedText notice = convertText(engineText(player, player->notice_text), language, charset);
    std::lock_guard guard(publishLock);
    if (title.changed) published.title = {title.utf8, title.fontCharset};
    if (notice.changed) published.notice = {notice.utf8, notice.fontCharset};
    published.charsetLine = charsetLine(language, charset);
    ++published.serial;
}

void Session::Impl::resetDisplays()
{
    std::lock_guard guard(publishLock);
    published.time = timeText(0);
    published.loop = "0";
    published.key.clear();
    published.tempo = "120.00";
    published.step = "0:000:0000";
    published.step2 = "000:0000";
    published.elapsedMs = 0;
    published.loopCount = 0;
    published.bar = published.beat = 0;
    publishedTimebase = uint32_t(player->timebase(player));
    publishedPeriod = 0;
    barKnown = false;
    ++published.serial;
}

void Session::Impl::pauseLocked()
{
    if (!loaded || image.empty() || !player) return;
    if (playing) {
        playing = false;
        sound.pauseAll(true);
        ports.silenceAll();
        follow.setPlaying(false);
        setState(PlayerState::Paused);
    } else {
        sound.pauseAll(false);
        lastTick = nowMs();
        playing = true;
        follow.setPlaying(true);
        setState(PlayerState::Playing);
    }
}

void Session::Impl::stopLocked()
{
    if (!loaded) return;
    playing = false;
    prepared = false;
    tail.reset();
    host.sounding = false;
    sound.closeAllStreams();
    if (player) player->close(player);
    player = nullptr;
    silent.reset();
    host.player = nullptr;
    ports.closeAll();
    follow.stop();
    image.clear();
    image.shrink_to_fit();
    sourceMap = {};
    dropTimeline();
    log.clear();
    setState(PlayerState::Selected);
}

void Session::Impl::unloadLocked()
{
    stopLocked();
    loaded = false;
    currentFile.clear();
    {
        std::lock_guard guard(publishLock);
        published.caption = kWindowCaption;
        published.title = {};
        published.notice = {};
        published.charsetLine.clear();
    }
    setState(PlayerState::Empty);
}

void Session::Impl::pass()
{
    const uint64_t now = nowMs();
    const uint64_t from = lastTick;
    lastTick = now;
    if (!player) return;
    if (tail) {
        if (!ports.isSounding() || now >= tail->endsMs || std::chrono::steady_clock::now() >= tail->endsWall)
            stopLocked();
        return;
    }
    const platform::MidiOutPort* clock = ports.clockPort();
    const auto wall = FollowClock::now();
    for (uint64_t unit = from + 1; unit <= now && !player->finished(player); ++unit) {
        if (clock) ports.setEventFrame((unit + kLatencyMs) * uint64_t(clock->audioRate()) / 1000);
        host.heard = wall + heardAfter(clock != nullptr, unit, now);
        player->advance_units(player, 1, DP_NORMAL_SPEED);
        follow.unitPlayed(player, host.heard);
        ++unitsPlayed;
    }
    ports.setEventFrame(std::nullopt);
    follow.publish();
    const uint32_t loops = player->min_loop_count(player);
    publishPlayback();
    {
        std::lock_guard guard(publishLock);
        published.loopCount = loops;
        published.loop = std::to_string(loops);
    }
    if (player->finished(player) || (config.loopLimit != 0 && loops >= config.loopLimit)) {
        // The last events still wait for their frame: let them sound first.
        // Then every note and pedal is released, as a stop does, and the
        // song rings out (samples and streams with it) instead of being cut.
        if (clock) awaitFrame(*clock, (now + kLatencyMs) * uint64_t(clock->audioRate()) / 1000);
        ports.silenceAll();
        tail = Tail{now + kLongestTailMs, std::chrono::steady_clock::now() + kLongestTailWall};
        return;
    }
    // The time a sample load took is not played through at once.
    if (host.blocked) lastTick = nowMs();
    host.blocked = false;
}

void Session::Impl::publishPlayback()
{
    std::lock_guard guard(publishLock);
    if (published.elapsedMs != host.elapsedMs) {
        published.elapsedMs = host.elapsedMs;
        published.time = timeText(host.elapsedMs);
        ++published.serial;
    }
    if (host.tempoPeriod != publishedPeriod) {
        publishedPeriod = host.tempoPeriod;
        published.tempo = tempoText(publishedPeriod, int(publishedTimebase));
        ++published.serial;
    }
    const BarPosition& b = host.bar;
    if (!barKnown || b.bar != publishedBar.bar || b.beat != publishedBar.beat ||
        b.tickInBar != publishedBar.tickInBar || b.beatsPerBar != publishedBar.beatsPerBar ||
        b.barLength != publishedBar.barLength) {
        publishedBar = b;
        barKnown = true;
        published.step = stepText(b);
        published.step2 = measureText(b);
        published.bar = b.bar;
        published.beat = uint32_t(b.beat) + 1;
        ++published.serial;
    }
    if (host.key != published.key) {
        published.key = host.key;
        ++published.serial;
    }
}

void Session::Impl::run()
{
    while (!quit.load()) {
        std::this_thread::sleep_for(kPassInterval);
        if (!playing || !lock.try_lock()) continue;
        if (playing) pass();
        lock.unlock();
    }
}

std::unique_ptr<Session> Session::create(const SessionConfig& config, StartupFailure* failure, std::string* reason)
{
    StartupFailure ignored{};
    StartupFailure& why = failure ? *failure : ignored;
    why = StartupFailure::None;
    auto impl = std::make_unique<Impl>(config);
    if (config.singleInstance) {
        impl->single = std::make_unique<SingleInstance>();
        if (!impl->single->acquired()) {
            if (impl->single->problem().empty()) return why = StartupFailure::AlreadyRunning, nullptr;
            if (reason) *reason = impl->single->problem();
            return why = StartupFailure::NoLockFile, nullptr;
        }
    }
    if (tooOld(dp_version())) return why = StartupFailure::EngineTooOld, nullptr;
    if (config.audsink.present()) {
        if (tooOld(config.audsink.version())) return why = StartupFailure::AudsinkTooOld, nullptr;
        // The device is opened once the settings are read.
        using Result = audsink_bridge::SoundBridge::CreateResult;
        switch (impl->sound.create({.entries = config.audsink, .user = impl.get()})) {
        case Result::NoInstance:
        case Result::NoDevice: return why = StartupFailure::NoAudsink, nullptr;
        case Result::NoStream: return why = StartupFailure::NoStreamInstance, nullptr;
        case Result::Created: break;
        }
    }
    const std::string programFolder = config.programFolder.empty() ? platform::programFolder() : config.programFolder;
    const std::string path = config.useSettingsFile ? settingsPath(programFolder, config.settingsFolder)
                                                    : std::string();
    impl->settings = std::make_unique<Settings>(path, waveMapperName(), impl->devicesList.name(platform::kMidiMapper));
    impl->devices = impl->settings->readDevices();
    const uint16_t stored = impl->settings->readSwitches();
    impl->switches = config.compileSwitches >= 0 ? static_cast<uint16_t>(config.compileSwitches) : stored;
    impl->sound.openDevice(impl->devices.waveDevice);
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<Session>(new Session(std::move(impl)));
}

Session::Session(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Session::~Session()
{
    {
        std::lock_guard guard(impl_->lock);
        impl_->unloadLocked();
    }
    impl_->quit = true;
    impl_->thread.join();
    std::lock_guard guard(impl_->lock);
    impl_->sound.destroy();
}

void Session::selectFile(const std::string& path)
{
    std::lock_guard guard(impl_->lock);
    impl_->selectLocked(path);
}

bool Session::prepare()
{
    std::lock_guard guard(impl_->lock);
    if (!impl_->loaded) return false;
    impl_->stopLocked();
    impl_->prepared = impl_->loadImage();
    return impl_->prepared;
}

bool Session::play()
{
    std::lock_guard guard(impl_->lock);
    impl_->startLocked();
    return impl_->player != nullptr;
}

bool Session::switchImage(std::vector<uint8_t> image, kvt::SourceMap sourceMap)
{
    std::lock_guard guard(impl_->lock);
    return impl_->switchLocked(std::move(image), std::move(sourceMap));
}

// The timeline may still be recording: it is waited for without the
// session lock, so the song plays on meanwhile.
bool Session::playFrom(const StartPoint& start)
{
    Impl::Timeline timeline;
    std::shared_ptr<std::atomic<bool>> token;
    {
        std::lock_guard guard(impl_->lock);
        if (start.kind == StartPoint::Kind::Top) {
            impl_->startLocked();
            return impl_->player != nullptr;
        }
        timeline = impl_->timelineLocked();
        token = impl_->timelineCancel;
    }
    if (!timeline.valid()) return false;
    const std::shared_ptr<const host::SongTimeline> recorded = timeline.get();
    std::lock_guard guard(impl_->lock);
    return impl_->playFromLocked(start, *recorded, token);
}

bool Session::reload(const TakeImage& take)
{
    std::string file;
    uint16_t switches = 0;
    uint32_t reload = 0;
    {
        std::lock_guard guard(impl_->lock);
        if (!impl_->player) return false;
        file = impl_->currentFile;
        switches = impl_->switches;
        reload = ++impl_->reloads;
    }
    // Compiled without the lock: the song plays on meanwhile.
    std::vector<CompileMessage> messages;
    LoadedScore loaded =
        loadScore(file, switches, [&messages](const CompileMessage& message) { messages.push_back(message); });
    for (CompileMessage& message : messages) {
        if (!loaded.image) message.reload = reload;
        impl_->log.add(std::move(message));
    }
    if (!loaded.image) return false;
    auto switchSameFile = [this, &file, map = std::move(loaded.sourceMap)](std::vector<uint8_t> image) mutable {
        // Another file may have been selected since.
        std::lock_guard guard(impl_->lock);
        return impl_->currentFile == file && impl_->switchLocked(std::move(image), std::move(map));
    };
    const bool taken = take ? take(std::move(*loaded.image)) : switchSameFile(std::move(*loaded.image));
    if (taken) impl_->log.add(ReloadDone{file});
    return taken;
}

void Session::pause()
{
    std::lock_guard guard(impl_->lock);
    impl_->pauseLocked();
}

void Session::stop()
{
    std::lock_guard guard(impl_->lock);
    impl_->stopLocked();
}

void Session::eject()
{
    std::lock_guard guard(impl_->lock);
    impl_->unloadLocked();
}

// Settings are written outside the session lock: the playback thread never
// waits for the file system.
void Session::setCompileSwitches(uint16_t mask)
{
    {
        std::lock_guard guard(impl_->lock);
        impl_->switches = mask;
    }
    impl_->settings->writeSwitches(mask);
}

bool Session::reloadOnChange() { return impl_->settings->readReloadOnChange(); }

void Session::setReloadOnChange(bool on) { impl_->settings->writeReloadOnChange(on); }

uint16_t Session::compileSwitches() const
{
    std::lock_guard guard(impl_->lock);
    return impl_->switches;
}

DeviceSettings Session::deviceSettings() const
{
    std::lock_guard guard(impl_->lock);
    return impl_->devices;
}

void Session::applyDeviceSettings(const DeviceSettings& settings)
{
    DeviceSettings applied;
    {
        std::lock_guard guard(impl_->lock);
        const std::string oldWave = impl_->devices.waveDevice;
        impl_->devices = settings;
        impl_->devices.portCount = std::clamp(settings.portCount, 1, kMaxPorts);
        impl_->devices.streamBufferMs = std::clamp(settings.streamBufferMs, 0, kMaxStreamBufferMs);
        if (impl_->devices.waveDevice != oldWave) {
            impl_->sound.closeDevice();
            impl_->sound.openDevice(impl_->devices.waveDevice);
        }
        applied = impl_->devices;
    }
    impl_->settings->writeDevices(applied);
}

Snapshot Session::snapshot() const
{
    std::lock_guard guard(impl_->publishLock);
    return impl_->published;
}

MessageBatch Session::takeMessages() { return impl_->log.take(); }

FollowFrame Session::followFrame() const { return impl_->follow.frame(FollowClock::now()); }

std::vector<HeardNote> Session::takeHeardNotes() { return impl_->follow.takeNotes(FollowClock::now()); }

std::string Session::currentFile() const
{
    std::lock_guard guard(impl_->lock);
    return impl_->currentFile;
}

} // namespace frontend
