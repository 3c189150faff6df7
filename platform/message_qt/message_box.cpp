#include "platform/message_box.h"
#include "platform/message.h"

#include <QApplication>
#include <QMessageBox>

#include <xcb/xcb.h>

#include <cstdlib>

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

} // namespace

bool hasDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return false;
    xcb_connection_t* connection = xcb_connect(name, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

void installMessageBoxBackend() { setMessageBackend(messageBox); }

MessageBoxes::MessageBoxes(const char* programName) : name_(programName ? programName : "")
{
    if (!hasDisplay()) return;
    if (!QApplication::instance()) {
        argv_[0] = name_.data();
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    installMessageBoxBackend();
    active_ = true;
}

MessageBoxes::~MessageBoxes()
{
    if (active_) setMessageBackend(nullptr);
}

} // namespace platform
