#include "main_form.h"

#include "form_font.h"
#include "media_buttons.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace zemfe {

namespace {

constexpr int kClientWidth = 327;
constexpr int kClientHeight = 333;
constexpr int kSmallFontPixels = 11;
constexpr int kKeyWidth = 73;
// Room kept between the key text and the text of L_Step2 beside it.
constexpr int kTextGap = 4;

// Shows text in label, cut with an ellipsis when it does not fit; the whole
// text is then the label's tooltip.
void setFittedText(QLabel* label, const QString& text)
{
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->contentsRect().width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

template <class Widget> Widget* place(Widget* widget, const char* name, const QRect& rect)
{
    widget->setObjectName(name);
    widget->setGeometry(rect);
    return widget;
}

QLabel* valueLabel(QWidget* client, const char* name, const QRect& rect, const char* text, bool rightAligned)
{
    auto* label = place(new QLabel(text, client), name, rect);
    label->setAlignment((rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return label;
}

// The caption beside a display sits just left of it.
void captionLabel(QWidget* client, const char* text, const QRect& display)
{
    constexpr int width = 36;
    auto* label = new QLabel(text, client);
    label->setGeometry(display.x() - width, display.y(), width - 2, display.height());
}

// A menu item that mirrors an action: same caption and shortcut, enabled
// when the action is, and a click runs the action.
void addLinkedItem(QWidget* container, QAction* action, const char* itemName)
{
    auto* item = new QAction(action->text(), container);
    item->setObjectName(itemName);
    item->setShortcut(action->shortcut());
    item->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::changed, item, [item, action] { item->setEnabled(action->isEnabled()); });
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    container->addAction(item);
}

QAction* designedAction(QObject* owner, const char* name, const char* text, const QKeySequence& shortcut)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

MainForm::MainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("TMainF");
    setWindowTitle(kMainCaption);
    setFont(formFont());

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    buttons_ = new MediaButtonBar(client, QRect(8, 16, 113, 33));
    buttons_->setObjectName("CtrlBtn");
    buttons_->setEnabled(false);
    connect(buttons_, &MediaButtonBar::clicked, this, &MainForm::buttonClicked);

    buildDisplays(client);
    buildSwitches(client);
    buildTexts(client);
    buildMenu();
    fitKeyLabel();

    // Not resizable: the window is exactly the client plus the menu.
    setFixedSize(sizeHint());
    setAcceptDrops(true);
}

void MainForm::buildDisplays(QWidget* client)
{
    time_ = valueLabel(client, "L_Time", {248, 8, 73, 17}, "0:00", true);
    tempo_ = valueLabel(client, "L_Tempo", {160, 8, 41, 17}, "120.00", true);
    loop_ = valueLabel(client, "L_Loop", {160, 24, 41, 17}, "0", true);
    step_ = valueLabel(client, "L_Step", {240, 24, 81, 17}, "0:000:0000", true);
    key_ = valueLabel(client, "L_Key", {160, 40, 73, 17}, "", false);
    step2_ = valueLabel(client, "L_Step2", {264, 40, 57, 17}, "000:0000", true);
    captionLabel(client, "Time:", time_->geometry());
    captionLabel(client, "BPM:", tempo_->geometry());
    captionLabel(client, "Loop:", loop_->geometry());
    captionLabel(client, "Step:", step_->geometry());
    captionLabel(client, "Key:", key_->geometry());
}

void MainForm::buildSwitches(QWidget* client)
{
    auto* heading = new QLabel("Compile Switches", client);
    heading->setGeometry(8, 78, kClientWidth - 16, 17);
    heading->setAlignment(Qt::AlignCenter);
    constexpr int columns[] = {8, 88, 168, 248};
    constexpr int rows[] = {96, 112, 128, 144};
    for (int i = 0; i < 16; ++i) {
        // "&&" shows one literal ampersand before the bit's hexadecimal value.
        const QString caption = QString("&&%1").arg(1u << i, 4, 16, QChar('0')).toUpper();
        auto* box = new QCheckBox(caption, client);
        box->setObjectName(QString("C_sw%1").arg(i, 2, 10, QChar('0')));
        box->setGeometry(columns[i % 4], rows[i / 4], 80, 16);
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!settingSwitches_) emit switchesChanged(switches());
        });
        switchBoxes_[i] = box;
    }
}

void MainForm::buildTexts(QWidget* client)
{
    title_ = valueLabel(client, "L_Title", {8, 168, 305, 17}, "", false);
    right_ = valueLabel(client, "L_Right", {8, 192, 305, 17}, "", false);
    charset_ = valueLabel(client, "L_CSet", {8, 208, 305, 17}, "", true);
    charset_->setFont(formFont(kSmallFontPixels));
    memo_ = place(new QPlainTextEdit(client), "PlayMemo", {8, 240, 313, 89});
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void MainForm::buildMenu()
{
    menuBar()->setObjectName("TopMenu");
    selectDevice_ = designedAction(this, "A_SelDev", "&Device", QKeySequence("Ctrl+D"));
    connect(selectDevice_, &QAction::triggered, this, &MainForm::deviceDialogRequested);
    addLinkedItem(menuBar(), selectDevice_, "Device1");
    // The option items exist and do nothing.
    QMenu* options = menuBar()->addMenu("&Option");
    options->setObjectName("Option1");
    addLinkedItem(options, designedAction(this, "A_OptExt", "e&Xtention", QKeySequence("Ctrl+X")), "eXtention1");
    addLinkedItem(options, designedAction(this, "A_OptPlug", "&Plugin", QKeySequence("Ctrl+P")), "Plugin1");
    options->addSeparator();
    reloadOption_ = options->addAction("&Reload on change");
    reloadOption_->setObjectName("A_ReloadOnChange");
    reloadOption_->setCheckable(true);
    reloadOption_->setChecked(true);
    score_ = designedAction(this, "A_Score", "&Score", QKeySequence("Ctrl+S"));
    score_->setEnabled(false);
    addLinkedItem(menuBar(), score_, "Score1");
}

// The key label grows to the right like its text, so that the longer
// notices are not cut, but only as far as the text of L_Step2 beside it
// begins; what does not fit then is elided, whole in the tooltip.
void MainForm::fitKeyLabel()
{
    const int wanted = key_->fontMetrics().horizontalAdvance(keyText_) + 2;
    const int step2Text = step2_->fontMetrics().horizontalAdvance(step2_->text());
    const int limit = step2_->geometry().right() + 1 - step2Text - kTextGap - key_->x();
    key_->resize(std::clamp(wanted, kKeyWidth, std::max(kKeyWidth, limit)), key_->height());
    setFittedText(key_, keyText_);
}

void MainForm::setButtonsEnabled(bool enabled)
{
    buttons_->setEnabled(enabled);
    buttons_->repaint();
}

void MainForm::setDeviceActionEnabled(bool enabled) { selectDevice_->setEnabled(enabled); }

void MainForm::setSwitches(uint16_t mask)
{
    settingSwitches_ = true;
    for (int i = 0; i < 16; ++i) switchBoxes_[i]->setChecked(mask & (1u << i));
    settingSwitches_ = false;
}

uint16_t MainForm::switches() const
{
    uint16_t mask = 0;
    for (int i = 0; i < 16; ++i)
        if (switchBoxes_[i]->isChecked()) mask |= uint16_t(1u << i);
    return mask;
}

void MainForm::setTime(const QString& text) { time_->setText(text); }
void MainForm::setLoop(const QString& text) { loop_->setText(text); }
void MainForm::setTempo(const QString& text) { tempo_->setText(text); }

void MainForm::setStep(const QString& step, const QString& step2)
{
    step_->setText(step);
    step2_->setText(step2);
    fitKeyLabel();
}

void MainForm::setKey(const QString& text)
{
    keyText_ = text;
    fitKeyLabel();
}

// The piece's texts show their whole text as hint whether or not it fits.
void MainForm::setTitleText(const QString& text)
{
    setFittedText(title_, text);
    title_->setToolTip(text);
}

void MainForm::setRightText(const QString& text)
{
    setFittedText(right_, text);
    right_->setToolTip(text);
}

void MainForm::setCharsetText(const QString& text) { setFittedText(charset_, text); }

void MainForm::appendMessage(const QString& line) { memo_->appendPlainText(line); }
void MainForm::clearMessages() { memo_->clear(); }

void MainForm::markResolved(const QStringList& lines)
{
    if (lines.isEmpty()) return;
    QTextDocument* document = memo_->document();
    const int count = int(lines.size());
    for (int first = document->blockCount() - count; first >= 0; --first) {
        bool same = true;
        for (int i = 0; i < count && same; ++i) same = document->findBlockByNumber(first + i).text() == lines[i];
        if (!same) continue;
        QTextCursor cursor(document->findBlockByNumber(first));
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, count - 1);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat resolved;
        resolved.setFontStrikeOut(true);
        resolved.setForeground(memo_->palette().brush(QPalette::Disabled, QPalette::Text));
        cursor.mergeCharFormat(resolved);
        return;
    }
}

void MainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainForm::dropEvent(QDropEvent* event)
{
    const QString path = singleDroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    emit fileDropped(path);
}

QString singleDroppedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

} // namespace zemfe
