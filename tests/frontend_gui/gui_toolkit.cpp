#include "gui_toolkit.h"

#include <QApplication>

namespace zemfe_test {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "frontend_gui_test";
    static char* argv[] = {name, nullptr};
    // Left alive until the process ends: destroying it after the tests'
    // static objects would tear down Qt underneath them.
    static QApplication* application = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)application;
}

} // namespace zemfe_test
