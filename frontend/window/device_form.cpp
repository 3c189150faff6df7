#include "device_form.h"

#include "form_font.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>

namespace zemfe {

namespace {

constexpr int kListWidth = 225;
constexpr int kRowHeight = 21;

QComboBox* deviceList(QWidget* form, const QString& name, int x, int y, const QStringList& devices)
{
    auto* list = new QComboBox(form);
    list->setObjectName(name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setGeometry(x, y, kListWidth, kRowHeight);
    // The empty first item chooses no device.
    list->addItem(QString());
    list->addItems(devices);
    return list;
}

QLabel* listLabel(QWidget* form, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, form);
    label->setObjectName("L_" + text);
    label->setGeometry(x, y, 48, kRowHeight);
    return label;
}

QSlider* trackBar(QWidget* form, const char* name, const QRect& rect, int minimum, int maximum, int tick)
{
    auto* bar = new QSlider(Qt::Horizontal, form);
    bar->setObjectName(name);
    bar->setGeometry(rect);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(tick);
    bar->setTickInterval(tick);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

} // namespace

DeviceForm::DeviceForm(const DeviceNames& names, frontend::DeviceSettings& choice, QWidget* parent)
    : QDialog(parent), choice_(choice)
{
    setObjectName("TDevF");
    setWindowTitle("Devices");
    setModal(true);
    setFixedSize(606, 311);
    // A dialog's usual 8-point face at 96 dots per inch.
    setFont(formFont(11));

    listLabel(this, "WAVE00", 8, 8);
    wave_ = deviceList(this, "CB_WAVE00", 56, 8, names.wave);
    for (int i = 0; i < 16; ++i) {
        const QString name = QString("MIDI%1").arg(i, 2, 10, QChar('0'));
        const int y = 40 + 24 * (i % 8);
        const bool left = i < 8;
        midiLabels_[i] = listLabel(this, name, left ? 8 : 304, y);
        midiLists_[i] = deviceList(this, "CB_" + name, left ? 56 : 352, y, names.midi);
    }

    auto* devicesCaption = new QLabel("Devices", this);
    devicesCaption->setGeometry(296, 8, 46, kRowHeight);
    ports_ = trackBar(this, "TB_Devs", {344, 8, 241, 30}, 1, frontend::kMaxPorts, 1);
    connect(ports_, &QSlider::valueChanged, this, &DeviceForm::portsChanged);

    auto* bufferCaption = new QLabel("Stream Buffer", this);
    bufferCaption->setGeometry(16, 248, 120, 17);
    buffer_ = trackBar(this, "TB_StrBuf", {8, 272, 273, 30}, 0, frontend::kMaxStreamBufferMs / 10, 5);
    buffer_->setValue(20);
    bufferSeconds_ = new QLabel(bufferSecondsText(buffer_->value()), this);
    bufferSeconds_->setObjectName("L_StrBuf");
    bufferSeconds_->setGeometry(240, 248, 41, 17);
    bufferSeconds_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(buffer_, &QSlider::valueChanged, this, &DeviceForm::bufferChanged);
}

void DeviceForm::showEvent(QShowEvent* event)
{
    wave_->setCurrentText(QString::fromStdString(choice_.waveDevice));
    for (int i = 0; i < 16; ++i) midiLists_[i]->setCurrentText(QString::fromStdString(choice_.midi[i]));
    ports_->setValue(choice_.portCount);
    buffer_->setValue(choice_.streamBufferMs / 10);
    // Set the dependent controls even when the positions did not change.
    portsChanged(ports_->value());
    bufferChanged(buffer_->value());
    QDialog::showEvent(event);
}

void DeviceForm::hideEvent(QHideEvent* event)
{
    choice_.waveDevice = wave_->currentText().toStdString();
    for (int i = 0; i < 16; ++i) choice_.midi[i] = midiLists_[i]->currentText().toStdString();
    choice_.portCount = ports_->value();
    choice_.streamBufferMs = buffer_->value() * 10;
    QDialog::hideEvent(event);
}

void DeviceForm::portsChanged(int ports)
{
    for (int i = 0; i < 16; ++i) {
        midiLabels_[i]->setEnabled(i < ports);
        midiLists_[i]->setEnabled(i < ports);
    }
}

void DeviceForm::bufferChanged(int position) { bufferSeconds_->setText(bufferSecondsText(position)); }

QString bufferSecondsText(int position)
{
    return QString("%1.%2%3").arg(position / 100 % 10).arg(position / 10 % 10).arg(position % 10);
}

} // namespace zemfe
