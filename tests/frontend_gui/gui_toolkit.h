// What the window tests share: one Qt application for the process and
// finding a designed control by name.
#pragma once

#include <QWidget>

#include <gtest/gtest.h>

namespace zemfe_test {

// Creates the application on first use (offscreen under ctest).
void ensureApplication();

// A base for fixtures whose members are widgets: bases are built first.
struct WithApplication {
    WithApplication() { ensureApplication(); }
};

// Every label's and check box's text fits the width it was given.
void expectNoTextCut(const QWidget& window);
// No two labels of window paint their texts over each other: each text's
// box (its width as drawn, after its alignment, a font's height high) is
// apart from every other.
void expectNoTextOverlap(const QWidget& window);

template <class Widget> Widget* control(const QObject& form, const char* name)
{
    auto* found = form.findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace zemfe_test
