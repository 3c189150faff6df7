// The device dialog: its lists, track bars and the values it writes back.
#include "gui_toolkit.h"

#include <device_form.h>

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace {

using zemfe_test::control;

const zemfe::DeviceNames kNames{{"Default", "Speakers"}, {"Synthesizer", "Port A", "Port B"}};

frontend::DeviceSettings sampleChoice()
{
    frontend::DeviceSettings choice;
    choice.waveDevice = "Speakers";
    choice.midi[0] = "Synthesizer";
    choice.midi[1] = "Port B";
    choice.midi[9] = "typed by hand";
    choice.portCount = 3;
    choice.streamBufferMs = 200;
    return choice;
}

class DeviceFormTest : public testing::Test, zemfe_test::WithApplication {
protected:
    frontend::DeviceSettings choice = sampleChoice();
    zemfe::DeviceForm form{kNames, choice, nullptr};
};

TEST_F(DeviceFormTest, ControlsSitWhereDesigned)
{
    EXPECT_EQ(form.objectName(), "TDevF");
    EXPECT_EQ(form.windowTitle(), "Devices");
    EXPECT_EQ(form.minimumSize(), QSize(606, 311));
    EXPECT_EQ(form.maximumSize(), QSize(606, 311));
    struct Case {
        const char* name;
        QPoint position;
    };
    const Case cases[] = {
        {"CB_WAVE00", {56, 8}},   {"L_WAVE00", {8, 8}},     {"CB_MIDI00", {56, 40}},  {"L_MIDI00", {8, 40}},
        {"CB_MIDI07", {56, 208}}, {"CB_MIDI08", {352, 40}}, {"L_MIDI08", {304, 40}},  {"CB_MIDI15", {352, 208}},
        {"TB_Devs", {344, 8}},    {"TB_StrBuf", {8, 272}},  {"L_StrBuf", {240, 248}},
    };
    for (const Case& c : cases) {
        auto* widget = control<QWidget>(form, c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->pos(), c.position) << c.name;
    }
    EXPECT_EQ(control<QComboBox>(form, "CB_WAVE00")->width(), 225);
    EXPECT_EQ(control<QLabel>(form, "L_MIDI13")->text(), "MIDI13");
    EXPECT_EQ(control<QLabel>(form, "L_StrBuf")->text(), "0.20");
    auto* ports = control<QSlider>(form, "TB_Devs");
    EXPECT_EQ(std::make_pair(ports->minimum(), ports->maximum()), std::make_pair(1, 16));
    auto* buffer = control<QSlider>(form, "TB_StrBuf");
    EXPECT_EQ(std::make_pair(buffer->minimum(), buffer->maximum()), std::make_pair(0, 100));
    EXPECT_EQ(buffer->tickInterval(), 5);
    zemfe_test::expectNoTextCut(form);
}

TEST_F(DeviceFormTest, ListsOfferNoDeviceFirstThenTheNames)
{
    const std::pair<const char*, QStringList> lists[] = {
        {"CB_WAVE00", {"", "Default", "Speakers"}},
        {"CB_MIDI00", {"", "Synthesizer", "Port A", "Port B"}},
        {"CB_MIDI15", {"", "Synthesizer", "Port A", "Port B"}},
    };
    for (const auto& [name, items] : lists) {
        auto* list = control<QComboBox>(form, name);
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->isEditable()) << name;
        QStringList seen;
        for (int i = 0; i < list->count(); ++i) seen << list->itemText(i);
        EXPECT_EQ(seen, items) << name;
    }
}

TEST_F(DeviceFormTest, ShowingTakesTheChoiceAndEnablesOnlyUsedPorts)
{
    form.show();
    EXPECT_EQ(control<QComboBox>(form, "CB_WAVE00")->currentText(), "Speakers");
    EXPECT_EQ(control<QComboBox>(form, "CB_MIDI01")->currentText(), "Port B");
    EXPECT_EQ(control<QComboBox>(form, "CB_MIDI09")->currentText(), "typed by hand");
    EXPECT_EQ(control<QSlider>(form, "TB_StrBuf")->value(), 20);
    struct Case {
        int ports;
        int firstDisabled;
    };
    const Case cases[] = {{3, 3}, {1, 1}, {16, 16}, {9, 9}};
    for (const Case& c : cases) {
        control<QSlider>(form, "TB_Devs")->setValue(c.ports);
        for (int i = 0; i < 16; ++i) {
            const QString n = QString("%1").arg(i, 2, 10, QChar('0'));
            const bool enabled = i < c.firstDisabled;
            EXPECT_EQ(form.findChild<QComboBox*>("CB_MIDI" + n)->isEnabled(), enabled) << c.ports << " " << i;
            EXPECT_EQ(form.findChild<QLabel*>("L_MIDI" + n)->isEnabled(), enabled) << c.ports << " " << i;
        }
    }
    form.hide();
}

TEST_F(DeviceFormTest, BufferPositionShowsSecondsWithTwoDecimals)
{
    const std::pair<int, const char*> cases[] = {{0, "0.00"}, {5, "0.05"}, {20, "0.20"}, {45, "0.45"}, {100, "1.00"}};
    for (const auto& [position, text] : cases) {
        EXPECT_EQ(zemfe::bufferSecondsText(position), text);
        control<QSlider>(form, "TB_StrBuf")->setValue(position);
        EXPECT_EQ(control<QLabel>(form, "L_StrBuf")->text(), text);
    }
}

TEST_F(DeviceFormTest, ClosingWritesEveryValueBack)
{
    QTimer::singleShot(0, &form, [this] {
        control<QComboBox>(form, "CB_WAVE00")->setCurrentText("");
        control<QComboBox>(form, "CB_MIDI02")->setCurrentText("Port A");
        control<QComboBox>(form, "CB_MIDI15")->setCurrentText("far port");
        control<QSlider>(form, "TB_Devs")->setValue(16);
        control<QSlider>(form, "TB_StrBuf")->setValue(37);
        form.reject();
    });
    form.exec();
    EXPECT_EQ(choice.waveDevice, "");
    EXPECT_EQ(choice.midi[0], "Synthesizer");
    EXPECT_EQ(choice.midi[2], "Port A");
    EXPECT_EQ(choice.midi[9], "typed by hand");
    EXPECT_EQ(choice.midi[15], "far port");
    EXPECT_EQ(choice.portCount, 16);
    EXPECT_EQ(choice.streamBufferMs, 370);
}

} // namespace
