#include "media_buttons.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

namespace zemfe {

namespace {

// The style has no eject glyph: a triangle over a bar.
QIcon ejectIcon(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const QPointF triangle[] = {{8, 2}, {14, 9}, {2, 9}};
    painter.drawPolygon(triangle, 3);
    painter.drawRect(QRectF(2, 11, 12, 3));
    return QIcon(pixmap);
}

struct ButtonDesign {
    MediaButton button;
    const char* name;
    const char* hint;
};

constexpr ButtonDesign kButtons[] = {
    {MediaButton::Play, "btPlay", "Play"},
    {MediaButton::Pause, "btPause", "Pause"},
    {MediaButton::Stop, "btStop", "Stop"},
    {MediaButton::Eject, "btEject", "Eject"},
};

QIcon iconFor(const QWidget& bar, MediaButton button)
{
    switch (button) {
    case MediaButton::Play: return bar.style()->standardIcon(QStyle::SP_MediaPlay);
    case MediaButton::Pause: return bar.style()->standardIcon(QStyle::SP_MediaPause);
    case MediaButton::Stop: return bar.style()->standardIcon(QStyle::SP_MediaStop);
    case MediaButton::Eject: break;
    }
    return ejectIcon(bar.palette().color(QPalette::ButtonText));
}

} // namespace

MediaButtonBar::MediaButtonBar(QWidget* parent, const QRect& geometry) : QWidget(parent)
{
    setGeometry(geometry);
    constexpr int count = std::size(kButtons);
    // The bar's width is shared out so that the buttons meet without a gap.
    int left = 0;
    for (int i = 0; i < count; ++i) {
        const ButtonDesign& design = kButtons[i];
        auto* button = new QToolButton(this);
        button->setObjectName(design.name);
        button->setToolTip(design.hint);
        button->setIcon(iconFor(*this, design.button));
        button->setAutoRaise(false);
        const int right = geometry.width() * (i + 1) / count;
        button->setGeometry(left, 0, right - left, geometry.height());
        left = right;
        connect(button, &QToolButton::clicked, this, [this, b = design.button] { emit clicked(b); });
    }
}

} // namespace zemfe
