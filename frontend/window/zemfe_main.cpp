// zemfe: the graphical player.  One optional argument names the file to
// select at start; it is selected, not played.
#include "device_names.h"
#include "player_window.h"
#include "quit_on_signal.h"

#include "frontend/session.h"
#include "frontend/settings.h"
#include "platform/message.h"
#include "platform/message_box.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kUsage = "usage: zemfe [file]\n"
                               "Plays a ZEM image, or a KVT score compiled first, in real time.\n";

// A relative argument names a file of the folder zemfe was started in,
// whatever folder the session works in afterwards.
std::string expandedArgument(int argc, char** argv)
{
    if (argc < 2 || !*argv[1]) return {};
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(argv[1], error);
    return error ? argv[1] : full.lexically_normal().string();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", frontend::kWindowCaption);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::string file = expandedArgument(argc, argv);
    // Without a display Qt would abort; a chosen platform (offscreen) needs none.
    if (!platform::hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        platform::showMessage(frontend::kMessageCaption, "cannot open a window: no display",
                              platform::MessageIcon::Stop);
        return 1;
    }
    // Qt gets the program name alone: no word of ours is taken as a Qt option.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    platform::installMessageBoxBackend();
    zemfe::quitOnTerminationSignals();

    // The default configuration: the settings file, the single-instance
    // lock and the linked stream output library.
    frontend::StartupFailure failure = frontend::StartupFailure::None;
    std::string reason;
    std::unique_ptr<frontend::Session> session =
        frontend::Session::create(frontend::SessionConfig{}, &failure, &reason);
    if (!session) {
        const std::string text = reason.empty() ? frontend::startupMessage(failure) : reason;
        if (text.empty()) return 1;
        // A lock file that cannot be opened is a fault of the system the
        // user has to repair: it is said on standard error too.
        if (failure == frontend::StartupFailure::NoLockFile) std::fprintf(stderr, "zemfe: %s\n", text.c_str());
        platform::showMessage(frontend::kMessageCaption, text.c_str(), platform::MessageIcon::Stop);
        return 1;
    }
    int status = 0;
    {
        zemfe::PlayerWindow window(*session, zemfe::systemDeviceNames);
        session->selectFile(file);
        window.controller.refresh();
        window.form.show();
        status = application.exec();
    }
    // The window is gone before the session ends its thread and devices.
    session.reset();
    return status;
}
