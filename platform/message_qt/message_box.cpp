#include "platform/message.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

void messageBox(const char* caption, const char* text, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), QString::fromUtf8(caption ? caption : ""), QString::fromUtf8(text ? text : ""),
                    QMessageBox::Ok);
    // The programs have no main window: bring the box to the front.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.raise();
    box.activateWindow();
    box.exec();
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool has_display() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

void install_message_box_backend() { set_message_backend(messageBox); }

bool use_message_boxes(int& argc, char** argv)
{
    if (!has_display()) return false;
    static std::unique_ptr<QApplication> application;
    if (!QApplication::instance()) application = std::make_unique<QApplication>(argc, argv);
    install_message_box_backend();
    return true;
}

} // namespace platform
