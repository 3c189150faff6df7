// The player session: everything of the player that is not a window.
//
// A window (or the console player) owns one Session.  It calls the actions
// below from its own thread; each takes the session lock with an unbounded
// wait, so an action waits at most for one pass of the playback thread.
// The session's playback thread wakes every 7 ms, takes the lock only when
// it is free, and drives the engine; it never calls back into the window.
// Instead it publishes values that the window reads on its own timer
// through snapshot() and takeMessages(), which never wait on the engine.
//
// Typical window code:
//
//     frontend::StartupFailure failure{};
//     auto session = frontend::Session::create(config, &failure);
//     if (!session) { show startupMessage(failure) (when not empty); exit(1); }
//     session->selectFile(commandLinePath);       // selects, does not play
//     ... on Play / Pause / Stop / Eject: session->play() / pause() / stop() / eject()
//     ... on a timer (say every 50 ms):
//         frontend::Snapshot s = session->snapshot();
//         if (s.serial != shownSerial) { update labels, caption, buttons; shownSerial = s.serial; }
//         frontend::MessageBatch m = session->takeMessages();
//         if (m.cleared) pane.clear();
//         for (auto& message : m.messages) show message (paneLines(message) in a pane);
//     ... on close: session.reset() (stops, ends the thread, releases devices)
//
// Timing: each pass advances the engine one millisecond at a time up to
// the present.  Ports of the built-in synthesizer take every event for the
// audio frame of its millisecond plus a constant 25 ms, so notes sound
// where the score puts them to within one 64-frame block; while such a
// port is open the thread's clock is the synthesizer's audio clock, so the
// song follows the sound card.  Other ports get each event as soon as the
// pass produces it.
//
// The device dialog lists frontend::waveDeviceNames() (wave_devices.h) and
// the MIDI devices of frontend::systemMidiDevices() (midi_devices.h).
#pragma once

#include "frontend/display_text.h"
#include "frontend/messages.h"
#include "frontend/midi_devices.h"
#include "frontend/score_follow.h"
#include "frontend/settings.h"

#include "audsink_bridge/audsink_entries.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace frontend {

// The window caption when no file is selected.
inline constexpr const char* kWindowCaption = "ZEMPLAY frontend V0.47";
// Caption of every message box of the player.
inline constexpr const char* kMessageCaption = "Tarn Debugger";

// Why create() refused to start.  AlreadyRunning exits silently (code 1);
// the others show startupMessage() in a message box and exit with code 1.
enum class StartupFailure {
    None,
    AlreadyRunning,
    EngineTooOld,     // "ZEMPLAY.DLL's version too old"
    AudsinkTooOld,    // "AUDSINK.DLL's version too old"
    NoAudsink,        // "cannot create AUDSINK instance"
    NoStreamInstance, // "cannot create AUDSINK stream instance"
    NoLockFile,       // the single-instance lock file cannot be opened
};
// The message box text of a failure; empty for None and AlreadyRunning.
const char* startupMessage(StartupFailure failure);

struct SessionConfig {
    // The folder of the program's executable (no trailing "/"); decoder
    // libraries are looked for there first.  Empty: found from /proc.
    std::string programFolder;
    // Where zemfe.ini lives: empty means ZEMFE_CONFIG_DIR when set, else
    // programFolder.  Ignored when useSettingsFile is false.
    std::string settingsFolder;
    // False: every setting keeps its default and nothing is written (the
    // console player passes its own ports and switches).
    bool useSettingsFile = true;
    // Take the single-instance lock (the window does; the console player
    // does not, so it can run beside the window).
    bool singleInstance = true;
    // The stream output library's entries, by default the linked library's;
    // all null: no sound bridge, and sample and stream requests answer as
    // without an instance.
    audsink_bridge::AudsinkEntries audsink = audsink_bridge::audsinkLibrary();
    // The MIDI device list; null: the system's (platform::midiOut*).
    MidiDevices* devices = nullptr;
    // Overrides of the settings, for the console player: port names (their
    // count is the port count), and the compile switch mask.
    std::vector<std::string> portNames;
    bool overridePorts = false;
    int compileSwitches = -1; // -1: from the settings file
    // Stop the song once every endless loop has been passed this many
    // times (0: the window's behaviour, loops repeat until Stop).
    uint32_t loopLimit = 0;
};

enum class PlayerState {
    Empty,    // no file: Play, Pause, Stop, Eject disabled
    Selected, // a file is chosen, no player
    Playing,
    Paused,
};

// One label of the piece's texts: UTF-8 text, and the font character set
// (Windows numbering: 0 Western, 128 Japanese, ... 255 none) as a hint for
// choosing a font that covers the script.
struct LabelText {
    std::string text;
    int fontCharset = 255;
};

// Everything the window shows, formatted.  serial grows with every change
// of any field, so a timer can skip unchanged snapshots.
struct Snapshot {
    uint64_t serial = 0;
    PlayerState state = PlayerState::Empty;
    std::string caption = kWindowCaption;
    bool buttonsEnabled = false;     // CtrlBtn
    bool deviceMenuEnabled = true;   // Device1 / A_SelDev: off while a player exists
    std::string time = "0:00";       // L_Time
    std::string loop = "0";          // L_Loop
    std::string tempo = "120.00";    // L_Tempo
    std::string step = "0:000:0000"; // L_Step
    std::string step2 = "000:0000";  // L_Step2
    std::string key;                 // L_Key
    LabelText title;                 // L_Title (caption and hint)
    LabelText notice;                // L_Right (caption and hint)
    std::string charsetLine;         // L_CSet, "(ja; sjis)"; empty when no piece
    // For a console status line: elapsed milliseconds, the loop count, the
    // bar number as L_Step shows it (M) and the beat in the bar counted
    // from 1 (both 0 until the song's first tick).
    uint32_t elapsedMs = 0;
    uint32_t loopCount = 0;
    uint32_t bar = 0;
    uint32_t beat = 0;
};

class Session : public FollowSource {
public:
    // Start-up: the single-instance lock, the version gates, the audsink
    // instance and its 16 stream instances, the settings, the wave device,
    // the playback thread.  Null with *failure set when refused; for
    // NoLockFile, *reason (when given) says why, naming the file.
    static std::unique_ptr<Session> create(const SessionConfig& config, StartupFailure* failure,
                                           std::string* reason = nullptr);
    // Exit: unload, end the playback thread, release streams, device and
    // audsink instance, drop the single-instance lock.
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // --- actions of the window thread (each takes the lock) -------------
    // A command-line argument or a drop of exactly one file: unloads what
    // is loaded, then selects path (relative paths are made absolute
    // against the current folder).  An empty path only unloads.
    void selectFile(const std::string& path);
    // (Re)starts the selected file from the top; false when nothing could
    // be started (no file, unreadable, compile error, refused image).
    bool play();
    // Stops, then reads (and compiles) the selected file for the next
    // play(), without touching a device; false when it cannot be loaded
    // (the caption says why).  A console can run it on a worker thread and
    // stay able to quit, while play() opens the devices on its own thread.
    bool prepare();
    // The playing (or paused) piece goes on at the same song position with
    // image in place of its old one.  False, the old image going on, when
    // there is no player or the engine refuses image (ReloadRefused).
    // sourceMap: the new image's (LoadedScore::sourceMap); empty: the
    // followed places carry no ranges from then on.
    bool switchImage(std::vector<uint8_t> image, kvt::SourceMap sourceMap = {});
    // Takes the image of a live reload; true when it was taken.
    using TakeImage = std::function<bool(std::vector<uint8_t> image)>;
    // Live reload: the selected file, changed while a player exists, is
    // loaded again with the current switches (the song plays on meanwhile)
    // and its image goes to take, by default switchImage.  When it does not
    // load, its compile messages carry the number of this reload; a taken
    // image reports ReloadDone.  False when nothing was taken.  Not while
    // prepare() or play() runs on another thread: the compiler is not
    // reentrant.
    bool reload(const TakeImage& take = nullptr);
    void pause(); // toggles pause; nothing without a player
    void stop();
    void eject();
    // A compile-switch box was clicked: bit i for box C_swNN number i.
    // Stored and written to the settings file at once.
    void setCompileSwitches(uint16_t mask);
    uint16_t compileSwitches() const;
    // Whether the window follows changes of the playing score's file
    // (default on); read and written back, like every other setting.
    bool reloadOnChange();
    void setReloadOnChange(bool on);
    // The device dialog's values; apply writes them to the settings file
    // and reopens the wave device when its name changed.  New MIDI names
    // and the port count take effect at the next play.
    DeviceSettings deviceSettings() const;
    void applyDeviceSettings(const DeviceSettings& settings);

    // Plays the selected file from a place (see StartPoint): reuses the
    // playing image, else compiles.  False, with the reason in the message
    // pane, when the place is not in the score.
    bool playFrom(const StartPoint& start) override;

    // --- published values (any thread, never waits on the engine) -------
    Snapshot snapshot() const;
    MessageBatch takeMessages();
    // Each track's place as heard now (the output latency taken off).
    FollowFrame followFrame() const override;
    // The notes heard since the last call, in the order they sounded: for a
    // console that lists them.
    std::vector<HeardNote> takeHeardNotes();

    // The path of the selected file (empty when none).
    std::string currentFile() const;

private:
    struct Impl;
    explicit Session(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace frontend
