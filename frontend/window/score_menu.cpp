#include "score_menu.h"

#include "main_form.h"
#include "score_window.h"

#include <QAction>

#include <memory>

namespace zemfe {

namespace {

// A top-level window of its own (not a child of the form, which would keep
// it above the form), deleted with the form.
class ScoreWindowHolder : public QObject {
public:
    ScoreWindowHolder(MainForm& form, frontend::FollowSource& source)
        : QObject(&form), window(std::make_unique<ScoreWindow>(source))
    {}

    std::unique_ptr<ScoreWindow> window;
    bool placed = false;
};

} // namespace

ScoreWindow& connectScoreWindow(MainForm& form, frontend::FollowSource& source)
{
    auto* holder = new ScoreWindowHolder(form, source);
    QAction& item = form.scoreAction();
    item.setEnabled(true);
    QObject::connect(&item, &QAction::triggered, holder, [holder, &form] {
        ScoreWindow& window = *holder->window;
        if (!holder->placed) window.placeBeside(form);
        holder->placed = true;
        window.show();
        window.raise();
        window.activateWindow();
    });
    return *holder->window;
}

} // namespace zemfe
