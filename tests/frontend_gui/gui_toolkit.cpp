#include "gui_toolkit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>

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

void expectNoTextCut(const QWidget& window)
{
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width()) << label->text().toStdString();
    }
    for (const QCheckBox* box : window.findChildren<QCheckBox*>())
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->objectName().toStdString();
}

} // namespace zemfe_test
