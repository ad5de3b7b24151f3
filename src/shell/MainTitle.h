// The main window's title, which more than one thing shows itself in: the
// program's name, then a state that lasts while it holds (Velmarin as the
// MTS-ESP master), or in place of both, for a while, a send's progress. Each
// sets its own part here, and none overwrites another's.
#pragma once

#include <string>

// Sets the lasting state ("" for none): the title becomes "Velmarin - STATE",
// at once, or when a progress shown meanwhile ends.
void setTitleState(const std::string& state);
// The title as it stands without a progress, to make a progress text from.
std::string titleWithoutProgress();
// Shows `text` as the whole title until endTitleProgress.
void showTitleProgress(const std::string& text);
// Puts back the title without a progress; nothing when none is shown.
void endTitleProgress();
