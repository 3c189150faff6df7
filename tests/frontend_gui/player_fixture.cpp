#include "player_fixture.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cstdlib>
#include <sstream>

namespace zemfe_test {

namespace {

const char* buttonName(MediaButton button)
{
    switch (button) {
    case MediaButton::Play: return "btPlay";
    case MediaButton::Pause: return "btPause";
    case MediaButton::Stop: return "btStop";
    case MediaButton::Eject: break;
    }
    return "btEject";
}

} // namespace

PlayerFixture::PlayerFixture()
{
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    ::setenv("ZEMFE_CONFIG_DIR", dir.path().c_str(), 1);
    ::setenv("ZEM_MIDI_RECORD", dir.file("midi.txt").c_str(), 1);
    // One port on the recorder, no audio device.
    dir.write("zemfe.ini", "[Dev]\nMIDIDevs=1\nMIDI00=MIDI Recorder\nWAVE00=\n");
}

PlayerFixture::~PlayerFixture() { finish(); }

bool PlayerFixture::start(frontend::Session::TakeImage switchImage)
{
    finish();
    frontend::StartupFailure failure = frontend::StartupFailure::None;
    session = frontend::Session::create(frontend::SessionConfig{}, &failure);
    if (!session) return false;
    window = std::make_unique<zemfe::PlayerWindow>(
        *session,
        [] {
            return zemfe::DeviceNames{{"Default"}, {"Synthesizer", "MIDI Recorder"}};
        },
        std::move(switchImage));
    form = &window->form;
    controller = &window->controller;
    form->show();
    return true;
}

void PlayerFixture::finish()
{
    form = nullptr;
    controller = nullptr;
    window.reset();
    session.reset();
}

void PlayerFixture::settle(int ms)
{
    QTest::qWait(ms);
    controller->refresh();
}

void PlayerFixture::click(MediaButton button)
{
    auto* widget = form->findChild<QToolButton*>(buttonName(button));
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void PlayerFixture::dropFiles(const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDropEvent drop(QPointF(20, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: outside a real drag the application
    // does not route drop events.
    static_cast<QObject&>(*form).event(&drop);
}

std::string PlayerFixture::example(const std::string& name)
{
    dir.write(name, zem_test::readFile(std::string(ZEM_SOURCE_DIR) + "/examples/" + name));
    return dir.file(name);
}

std::string PlayerFixture::recorded() const { return dir.exists("midi.txt") ? dir.read("midi.txt") : std::string(); }

int countNoteOns(const std::string& recording)
{
    std::istringstream lines(recording);
    std::string time, bytes;
    int count = 0;
    while (lines >> time && std::getline(lines, bytes)) {
        const size_t at = bytes.find_first_not_of(' ');
        // " 9c kk vv": status, key, velocity in hexadecimal.
        if (at == std::string::npos || bytes.size() < at + 8 || bytes[at] != '9') continue;
        if (bytes.compare(at + 6, 2, "00") != 0) ++count;
    }
    return count;
}

} // namespace zemfe_test
