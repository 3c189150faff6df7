#include "gui_toolkit.h"

#include <algorithm>

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

namespace {

QRect textBox(const QLabel& label, const QWidget& window)
{
    const QRect inside = label.contentsRect();
    const QFontMetrics metrics = label.fontMetrics();
    const int width = std::min(metrics.horizontalAdvance(label.text()), inside.width());
    const int height = std::min(metrics.height(), inside.height());
    const Qt::Alignment align = label.alignment();
    const int x = align & Qt::AlignRight     ? inside.right() + 1 - width
                  : align & Qt::AlignHCenter ? inside.x() + (inside.width() - width) / 2
                                             : inside.x();
    const int y = inside.y() + (inside.height() - height) / 2;
    return QRect(label.mapTo(&window, QPoint(x, y)), QSize(width, height));
}

} // namespace

void expectNoTextOverlap(const QWidget& window)
{
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (labels[i]->text().isEmpty()) continue;
        for (qsizetype j = i + 1; j < labels.size(); ++j) {
            if (labels[j]->text().isEmpty()) continue;
            EXPECT_FALSE(textBox(*labels[i], window).intersects(textBox(*labels[j], window)))
                << labels[i]->text().toStdString() << " and " << labels[j]->text().toStdString();
        }
    }
}

} // namespace zemfe_test
