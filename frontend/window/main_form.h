// The player's main window: its controls, captions, menu and drop target.
//
// The form only shows state and reports what the user did; the player
// behind it decides what a click means.  Every control carries its designed
// name as object name.  Positions are the designed client pixels at 96 dots
// per inch; Qt's device-independent pixels scale them by the screen's device
// pixel ratio.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class QAction;
class QCheckBox;
class QLabel;
class QMimeData;
class QPlainTextEdit;

namespace zemfe {

class MediaButtonBar;

inline constexpr const char* kMainCaption = "ZEMPLAY frontend V0.47";

enum class MediaButton { Play, Pause, Stop, Eject };

class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(QWidget* parent = nullptr);

    void setButtonsEnabled(bool enabled);
    void setDeviceActionEnabled(bool enabled);
    // The check item "Reload on change" of the Option menu.
    QAction& reloadOption() { return *reloadOption_; }
    // "Score": opens the score window; disabled until one is connected.
    QAction& scoreAction() { return *score_; }
    // Ticks the sixteen boxes without reporting switchesChanged.
    void setSwitches(uint16_t mask);
    uint16_t switches() const;

    // The display labels, by designed name.
    void setTime(const QString& text);
    void setLoop(const QString& text);
    void setTempo(const QString& text);
    void setStep(const QString& step, const QString& step2);
    void setKey(const QString& text);
    // Shown as caption and as hint.
    void setTitleText(const QString& text);
    void setRightText(const QString& text);
    void setCharsetText(const QString& text);

    void appendMessage(const QString& line);
    void clearMessages();
    // Shows the last run of message lines equal to `lines` as resolved
    // (struck through and greyed); nothing when the pane no longer holds it.
    void markResolved(const QStringList& lines);

signals:
    void buttonClicked(zemfe::MediaButton button);
    void switchesChanged(uint16_t mask);
    void deviceDialogRequested();
    // Exactly one local file was dropped on the window.
    void fileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildDisplays(QWidget* client);
    void buildSwitches(QWidget* client);
    void buildTexts(QWidget* client);
    void buildMenu();
    void fitKeyLabel();

    MediaButtonBar* buttons_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* tempo_ = nullptr;
    QLabel* loop_ = nullptr;
    QLabel* step_ = nullptr;
    QLabel* key_ = nullptr;
    QLabel* step2_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* right_ = nullptr;
    QLabel* charset_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QAction* selectDevice_ = nullptr;
    QAction* reloadOption_ = nullptr;
    QAction* score_ = nullptr;
    QString keyText_; // L_Key's whole text, before any elision
    std::array<QCheckBox*, 16> switchBoxes_{};
    bool settingSwitches_ = false;
};

// The local file of a drop, or an empty text unless exactly one local file
// was dropped.
QString singleDroppedFile(const QMimeData* data);

} // namespace zemfe
