// The media-player button bar: Play, Pause, Stop and Eject side by side.
#pragma once

#include "main_form.h"

#include <QWidget>

namespace zemfe {

class MediaButtonBar : public QWidget {
    Q_OBJECT
public:
    MediaButtonBar(QWidget* parent, const QRect& geometry);

signals:
    void clicked(zemfe::MediaButton button);
};

} // namespace zemfe
