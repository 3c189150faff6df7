// Where the main form's "Score" item meets a source of follow frames.
#pragma once

#include "frontend/score_follow.h"

namespace zemfe {

class MainForm;
class ScoreWindow;

// Enables the form's "Score" item and makes it open the score window of
// `source`: placed beside the form the first time, shown and raised each
// time.  The window lives as long as the form; `source` must outlive both.
ScoreWindow& connectScoreWindow(MainForm& form, frontend::FollowSource& source);

} // namespace zemfe
