// The main window as designed: control names, places, first texts, menu,
// switch boxes, button bar and drops.
#include "gui_toolkit.h"

#include <main_form.h>

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace {

using zemfe_test::control;

class MainFormTest : public testing::Test, zemfe_test::WithApplication {
protected:
    zemfe::MainForm form;
};

TEST_F(MainFormTest, LabelsSitWhereDesignedWithTheirFirstTexts)
{
    struct Case {
        const char* name;
        QRect rect;
        const char* text;
        Qt::Alignment horizontal;
    };
    const Case cases[] = {
        {"L_Time", {248, 8, 73, 17}, "0:00", Qt::AlignRight},
        {"L_Tempo", {160, 8, 41, 17}, "120.00", Qt::AlignRight},
        {"L_Loop", {160, 24, 41, 17}, "0", Qt::AlignRight},
        {"L_Step", {240, 24, 81, 17}, "0:000:0000", Qt::AlignRight},
        {"L_Key", {160, 40, 73, 17}, "", Qt::AlignLeft},
        {"L_Step2", {264, 40, 57, 17}, "000:0000", Qt::AlignRight},
        {"L_Title", {8, 168, 305, 17}, "", Qt::AlignLeft},
        {"L_Right", {8, 192, 305, 17}, "", Qt::AlignLeft},
        {"L_CSet", {8, 208, 305, 17}, "", Qt::AlignRight},
    };
    for (const Case& c : cases) {
        auto* label = control<QLabel>(form, c.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), c.rect) << c.name;
        EXPECT_EQ(label->text(), c.text) << c.name;
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.horizontal) << c.name;
    }
    EXPECT_EQ(control<QLabel>(form, "L_CSet")->font().pixelSize(), 11);
    EXPECT_EQ(control<QLabel>(form, "L_Title")->font().pixelSize(), 12);
}

TEST_F(MainFormTest, WindowHasDesignedCaptionClientAndFixedSize)
{
    EXPECT_EQ(form.objectName(), "TMainF");
    EXPECT_EQ(form.windowTitle(), "ZEMPLAY frontend V0.47");
    EXPECT_EQ(form.centralWidget()->size(), QSize(327, 333));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    auto* memo = control<QPlainTextEdit>(form, "PlayMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->geometry(), QRect(8, 240, 313, 89));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

// Positions stay the designed 96-dpi pixels; the screen's device pixel ratio
// (QT_SCALE_FACTOR=2 in the scaled run) multiplies what is drawn.
TEST_F(MainFormTest, DesignedPixelsAreScaledByTheDevicePixelRatio)
{
    const qreal ratio =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0;
    form.show();
    EXPECT_EQ(form.devicePixelRatioF(), ratio);
    const QPixmap drawn = form.centralWidget()->grab();
    EXPECT_EQ(drawn.size(), QSize(qRound(327 * ratio), qRound(333 * ratio)));
    EXPECT_EQ(control<QLabel>(form, "L_Time")->geometry(), QRect(248, 8, 73, 17));
}

TEST_F(MainFormTest, SixteenSwitchBoxesInFourColumnsWithLiteralAmpersands)
{
    constexpr int columns[] = {8, 88, 168, 248};
    for (int i = 0; i < 16; ++i) {
        const QString name = QString("C_sw%1").arg(i, 2, 10, QChar('0'));
        auto* box = form.findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        EXPECT_EQ(box->text(), QString("&&%1").arg(1u << i, 4, 16, QChar('0')).toUpper());
        EXPECT_EQ(box->pos(), QPoint(columns[i % 4], 96 + 16 * (i / 4)));
    }
    EXPECT_EQ(control<QCheckBox>(form, "C_sw10")->text(), "&&0400");
    EXPECT_EQ(control<QCheckBox>(form, "C_sw15")->text(), "&&8000");
}

TEST_F(MainFormTest, SwitchMaskFollowsTheBoxesAndSettingItIsSilent)
{
    QSignalSpy changed(&form, &zemfe::MainForm::switchesChanged);
    form.setSwitches(0x8421);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(form.switches(), 0x8421);
    struct Case {
        const char* box;
        uint16_t mask;
    };
    const Case clicks[] = {{"C_sw01", 0x8423}, {"C_sw15", 0x0423}, {"C_sw00", 0x0422}};
    for (const Case& c : clicks) {
        control<QCheckBox>(form, c.box)->click();
        ASSERT_FALSE(changed.isEmpty()) << c.box;
        EXPECT_EQ(changed.takeLast().at(0).value<uint16_t>(), c.mask) << c.box;
    }
}

TEST_F(MainFormTest, MenuItemsMirrorTheirActions)
{
    struct Case {
        const char* item;
        const char* action;
        const char* text;
        const char* shortcut;
    };
    const Case cases[] = {
        {"Device1", "A_SelDev", "&Device", "Ctrl+D"},
        {"eXtention1", "A_OptExt", "e&Xtention", "Ctrl+X"},
        {"Plugin1", "A_OptPlug", "&Plugin", "Ctrl+P"},
    };
    for (const Case& c : cases) {
        auto* item = control<QAction>(form, c.item);
        auto* action = control<QAction>(form, c.action);
        ASSERT_TRUE(item && action);
        EXPECT_EQ(item->text(), c.text);
        EXPECT_EQ(item->shortcut(), QKeySequence(c.shortcut));
        EXPECT_TRUE(item->isEnabled());
        action->setEnabled(false);
        EXPECT_FALSE(item->isEnabled()) << c.item;
        action->setEnabled(true);
    }
    EXPECT_EQ(control<QMenu>(form, "Option1")->title(), "&Option");
}

TEST_F(MainFormTest, ButtonBarReportsEachButtonOnlyWhenEnabled)
{
    auto* bar = control<QWidget>(form, "CtrlBtn");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(8, 16, 113, 33));
    EXPECT_FALSE(bar->isEnabled());
    QSignalSpy clicked(&form, &zemfe::MainForm::buttonClicked);
    const std::pair<const char*, zemfe::MediaButton> buttons[] = {{"btPlay", zemfe::MediaButton::Play},
                                                                  {"btPause", zemfe::MediaButton::Pause},
                                                                  {"btStop", zemfe::MediaButton::Stop},
                                                                  {"btEject", zemfe::MediaButton::Eject}};
    form.show();
    for (const auto& [name, button] : buttons) QTest::mouseClick(control<QToolButton>(form, name), Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    form.setButtonsEnabled(true);
    for (const auto& [name, button] : buttons) {
        QTest::mouseClick(control<QToolButton>(form, name), Qt::LeftButton);
        ASSERT_FALSE(clicked.isEmpty()) << name;
        EXPECT_EQ(clicked.takeLast().at(0).value<zemfe::MediaButton>(), button) << name;
    }
}

TEST_F(MainFormTest, OnlyADropOfExactlyOneLocalFileIsReported)
{
    struct Case {
        QList<QUrl> urls;
        QString reported;
    };
    const Case cases[] = {
        {{QUrl::fromLocalFile("/music/song.kvt")}, "/music/song.kvt"},
        {{QUrl::fromLocalFile("/music/a.kvt"), QUrl::fromLocalFile("/music/b.kvt")}, ""},
        {{QUrl("https://example.org/song.kvt")}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        QSignalSpy dropped(&form, &zemfe::MainForm::fileDropped);
        QMimeData data;
        data.setUrls(c.urls);
        QDropEvent drop(QPointF(20, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window's handler: outside a real drag the
        // application does not route drop events.
        static_cast<QObject&>(form).event(&drop);
        if (c.reported.isEmpty()) {
            EXPECT_EQ(dropped.count(), 0) << c.urls.size();
        } else {
            ASSERT_EQ(dropped.count(), 1);
            EXPECT_EQ(dropped.at(0).at(0).toString(), c.reported);
        }
    }
}

TEST_F(MainFormTest, NoCaptionIsCutAndLongKeyTextsWiden)
{
    zemfe_test::expectNoTextCut(form);
    form.setKey("(META89: illegal)");
    auto* key = control<QLabel>(form, "L_Key");
    EXPECT_EQ(key->text(), "(META89: illegal)");
    EXPECT_GT(key->width(), 73);
    form.setKey("C major");
    EXPECT_EQ(key->width(), 73);
}

// Whatever the piece shows, no label paints over another; a text that does
// not fit is cut with an ellipsis and shown whole as the label's tooltip.
TEST_F(MainFormTest, NoLabelPaintsOverAnother)
{
    const QString longText = QString("Harbour Lanterns ").repeated(8);
    const QString wide = QString::fromUtf8("\xE6\xB8\xAF\xE3\x81\xAE\xE7\x81\xAF").repeated(20);
    const struct {
        const char* name;
        QString key, step2, title, notice, charset;
    } cases[] = {
        {"first texts", "", "000:0000", "", "", ""},
        {"length mismatch beside a step", "(META89: length mismatch)", "004:0048", "Song", "", "(ja; sjis)"},
        {"illegal key, widest step", "(META89: illegal)", "999:9999", "", "", ""},
        {"long texts", "A# minor", "016:0012", longText, longText, "(" + longText + "; " + longText + ")"},
        {"wide texts", "Cb major", "003:0064", wide, wide, wide},
    };
    for (const auto& c : cases) {
        form.setStep("12:003:0040", c.step2);
        form.setKey(c.key);
        form.setTitleText(c.title);
        form.setRightText(c.notice);
        form.setCharsetText(c.charset);
        zemfe_test::expectNoTextOverlap(form);
        const struct {
            const char* label;
            QString whole;
        } shown[] = {{"L_Key", c.key}, {"L_Title", c.title}, {"L_Right", c.notice}, {"L_CSet", c.charset}};
        for (const auto& s : shown) {
            const auto* label = control<QLabel>(form, s.label);
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << c.name << ": " << s.label;
            if (label->text() != s.whole) {
                EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << c.name << ": " << s.label;
                EXPECT_EQ(label->toolTip(), s.whole) << c.name << ": " << s.label;
            }
        }
    }
}

} // namespace
