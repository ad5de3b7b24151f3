#include "shell/MainTitle.h"

#include "shell/AppState.h"
#include "shell/WindowText.h"

namespace {

std::string titleState;
bool progressShown = false;

// The template's caption, read before anything here has changed it.
const std::string& programTitle() {
    static const std::string title = windowText(mainWindow);
    return title;
}

}  // namespace

std::string titleWithoutProgress() {
    return titleState.empty() ? programTitle() : programTitle() + " - " + titleState;
}

void setTitleState(const std::string& state) {
    if (state == titleState) return;
    programTitle();
    titleState = state;
    if (!progressShown) setWindowText(mainWindow, titleWithoutProgress());
}

void showTitleProgress(const std::string& text) {
    programTitle();
    progressShown = true;
    setWindowText(mainWindow, text);
}

void endTitleProgress() {
    if (!progressShown) return;
    progressShown = false;
    setWindowText(mainWindow, titleWithoutProgress());
}
