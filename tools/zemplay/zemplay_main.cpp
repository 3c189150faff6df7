// zemplay: plays a KVT score or a ZEM image in real time on the console.
#include "command_line.h"
#include "console_keys.h"
#include "follow_text.h"
#include "status_line.h"

#include "frontend/session.h"
#include "platform/terminal.h"
#include "platform/terminal_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <variant>

namespace {

volatile std::sig_atomic_t interrupted = 0;

// How often the loop looks for keys and notes; --follow prints each note
// within a few milliseconds of its sound.
constexpr int kPollMs = 50;
constexpr int kFollowPollMs = 2;

void onSignal(int) { interrupted = 1; }

void catchSignals()
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

size_t terminalWidth()
{
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1 : 79;
}

// The name of the port to play on: a device number from --list, a name,
// or the built-in synthesizer.
std::string portName(const std::string& chosen, frontend::MidiDevices& devices)
{
    if (chosen.empty()) return devices.name(platform::kMidiMapper);
    char* end = nullptr;
    const long number = std::strtol(chosen.c_str(), &end, 10);
    if (*end == '\0' && number >= platform::kMidiMapper && number < devices.count())
        return devices.name(static_cast<int>(number));
    return chosen;
}

int listPorts(frontend::MidiDevices& devices)
{
    for (int d = platform::kMidiMapper; d < devices.count(); ++d) std::printf("%d: %s\n", d, devices.name(d).c_str());
    return 0;
}

// Writes the session's messages to standard error as the pane shows them,
// but a compile message as "file: text".  Texts of the score are printed
// without their control characters.  True when a port could not be opened.
bool printMessages(const frontend::MessageBatch& batch, bool statusShown)
{
    bool portFailed = false;
    if (statusShown && !batch.messages.empty()) std::fputs("\r\x1b[K", stderr);
    for (const frontend::Message& message : batch.messages) {
        if (std::holds_alternative<frontend::PortFailed>(message)) portFailed = true;
        if (const auto* compile = std::get_if<frontend::CompileMessage>(&message)) {
            std::fprintf(stderr, "%s: %s\n", platform::terminalSafe(compile->file).c_str(),
                         platform::terminalSafe(compile->text).c_str());
            continue;
        }
        for (const std::string& line : frontend::paneLines(message))
            std::fprintf(stderr, "%s\n", platform::terminalSafe(line).c_str());
    }
    return portFailed;
}

// Starts the song.  Compiling a large score takes long, so it runs on a
// worker while this thread still answers q, Ctrl-C and SIGTERM; a stop
// then ends the program at once, leaving the worker to the system.  The
// devices are opened here: the sound library keeps per-thread state that
// a finished worker would leak.
bool startPlaying(frontend::Session& session, console::ConsoleKeys& keys, bool fromTop)
{
    std::future<bool> loaded = std::async(std::launch::async, [&session] { return session.prepare(); });
    // The wait ends the moment the song is ready; keys are read in between.
    while (loaded.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int key = keys.next(0);
        if (interrupted || key == 'q' || key == 'Q') {
            keys.restore();
            std::_Exit(interrupted ? 130 : 0);
        }
    }
    return loaded.get() && (!fromTop || session.play());
}

int play(const console::CommandLine& line)
{
    frontend::MidiDevices& devices = frontend::systemMidiDevices();
    frontend::SessionConfig config;
    config.useSettingsFile = false;
    config.singleInstance = false;
    config.overridePorts = true;
    config.portNames = {portName(line.port, devices)};
    config.compileSwitches = line.switches;
    config.loopLimit = line.loops;
    frontend::StartupFailure failure{};
    auto session = frontend::Session::create(config, &failure);
    if (!session) {
        std::fprintf(stderr, "zemplay: %s\n", frontend::startupMessage(failure));
        return 1;
    }
    catchSignals();
    session->selectFile(line.file);
    console::ConsoleKeys keys;
    if (!startPlaying(*session, keys, !line.start)) {
        printMessages(session->takeMessages(), false);
        std::fprintf(stderr, "zemplay: %s\n", platform::terminalSafe(session->snapshot().caption).c_str());
        return 1;
    }
    if (line.start && !session->playFrom(*line.start)) {
        for (const frontend::Message& message : session->takeMessages().messages)
            if (const auto* refused = std::get_if<frontend::StartRefused>(&message))
                std::fprintf(stderr, "zemplay: %s\n", refused->reason.c_str());
        return 1;
    }
    if (printMessages(session->takeMessages(), false)) return 1;
    bool statusShown = false;
    console::LastNotes lastNotes;
    auto nextStatus = std::chrono::steady_clock::now();
    while (!interrupted) {
        const int key = keys.next(line.follow ? kFollowPollMs : kPollMs);
        if (key == 'q' || key == 'Q') break;
        if (key == ' ') session->pause();
        // A background job draws no status line: the shell would stop it.
        const bool showStatus = platform::inTerminalForeground(STDERR_FILENO);
        printMessages(session->takeMessages(), statusShown && showStatus);
        const std::vector<frontend::HeardNote> notes = session->takeHeardNotes();
        lastNotes.heard(notes);
        if (line.follow) console::printFollowLines(notes, statusShown && showStatus);
        const frontend::Snapshot snapshot = session->snapshot();
        if (snapshot.state == frontend::PlayerState::Selected) break; // the song ended
        if (showStatus && std::chrono::steady_clock::now() >= nextStatus) {
            const std::string place = lastNotes.place(session->followFrame());
            std::fprintf(stderr, "\r%s\x1b[K", console::statusLine(snapshot, terminalWidth(), place).c_str());
            statusShown = true;
            nextStatus = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPollMs);
        }
    }
    // Every note and pedal is released before the ports close.
    session->stop();
    if (statusShown && platform::inTerminalForeground(STDERR_FILENO)) std::fputs("\n", stderr);
    return interrupted ? 130 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto line = console::parseCommandLine(argc, argv, &error);
    if (!line) {
        std::fprintf(stderr, "zemplay: %s\n%s", error.c_str(), console::kUsage);
        return 2;
    }
    switch (line->action) {
    case console::Action::Help: std::fputs(console::kUsage, stdout); return 0;
    case console::Action::Version: std::puts("zemplay 0.47"); return 0;
    case console::Action::List: return listPorts(frontend::systemMidiDevices());
    case console::Action::Play: break;
    }
    return play(*line);
}
