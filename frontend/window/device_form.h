// The device dialog: output devices, port count and stream buffer length.
//
// It shows the choice it is given when it appears and writes every value
// back when it goes away, however it was closed.
#pragma once

#include "frontend/settings.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>

class QComboBox;
class QLabel;
class QSlider;

namespace zemfe {

// The names offered in the lists, mapper first.
struct DeviceNames {
    QStringList wave;
    QStringList midi;
};

class DeviceForm : public QDialog {
    Q_OBJECT
public:
    DeviceForm(const DeviceNames& names, frontend::DeviceSettings& choice, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void portsChanged(int ports);
    void bufferChanged(int position);

    frontend::DeviceSettings& choice_;
    QComboBox* wave_ = nullptr;
    std::array<QLabel*, 16> midiLabels_{};
    std::array<QComboBox*, 16> midiLists_{};
    QSlider* ports_ = nullptr;
    QSlider* buffer_ = nullptr;
    QLabel* bufferSeconds_ = nullptr;
};

// A track bar position 0 to 100 as seconds with two decimals ("0.20").
QString bufferSecondsText(int position);

} // namespace zemfe
