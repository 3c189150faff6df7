// The windowed programs' messages: a modal box with the caption, the text and
// the icon asked for.
#include "platform/message.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool shown = false;
};

// Reads the box that showMessage opened and closes it.
Seen showAndRead(const char* caption, const char* text, platform::MessageIcon icon)
{
    Seen seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), true};
        box->accept();
    });
    platform::showMessage(caption, text, icon);
    return seen;
}

TEST(MessageBox, ShowsCaptionTextAndIcon)
{
    int argc = 1;
    char name[] = "message_box_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    platform::installMessageBoxBackend();

    struct Case {
        const char* caption;
        const char* text;
        platform::MessageIcon icon;
        QMessageBox::Icon expected;
    };
    const Case cases[] = {
        {"/music/song.kvt", "Syntax error in 3.", platform::MessageIcon::Stop, QMessageBox::Critical},
        {"ZEMC for Win32 \xE4\xB9\x99", "notice", platform::MessageIcon::None, QMessageBox::NoIcon},
        {"caption", "information", platform::MessageIcon::Information, QMessageBox::Information},
    };
    for (const Case& c : cases) {
        const Seen seen = showAndRead(c.caption, c.text, c.icon);
        ASSERT_TRUE(seen.shown) << c.text;
        EXPECT_EQ(seen.title, QString::fromUtf8(c.caption));
        EXPECT_EQ(seen.text, QString::fromUtf8(c.text));
        EXPECT_EQ(seen.icon, c.expected);
    }
    platform::setMessageBackend(nullptr);
}

TEST(MessageBox, WithoutAnAnsweringDisplayMessagesStayOnTheConsole)
{
    // No display at all, one nobody serves, one that is not a display name.
    for (const char* display : {"", ":77", "garbage"}) {
        setenv("DISPLAY", display, 1);
        unsetenv("WAYLAND_DISPLAY");
        EXPECT_FALSE(platform::hasDisplay()) << display;
        {
            const platform::MessageBoxes boxes("message_box_test");
            EXPECT_FALSE(boxes.active()) << display;
            EXPECT_EQ(QApplication::instance(), nullptr) << display;
        }
    }
}

} // namespace
