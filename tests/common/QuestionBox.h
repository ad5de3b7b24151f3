// The steps every Yes/No question of the program is checked with: it opens
// owned by `owner`, offers Yes and No, stands centred over its owner as it
// opened, and is then answered. `expectedText`, when given, is its text.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WindowGeometry.h"

// `App` is the end-to-end driver (tests/ui/VelmarinApp) or anything with the
// same waitForWindow, boxHasButton, openedRect and answer.
template <class App>
void answerCentredQuestion(App& app, const std::string& caption, HWND owner, int answer,
                           const char* expectedText = nullptr) {
    const HWND question = app.waitForWindow(caption, owner);
    ASSERT_TRUE(question);
    if (expectedText) {
        EXPECT_EQ(expectedText, app.boxText(question));
    }
    EXPECT_TRUE(app.boxHasButton(question, IDYES));
    EXPECT_TRUE(app.boxHasButton(question, IDNO));
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    EXPECT_TRUE(centredOver(app.openedRect(), ownerRect));
    app.answer(question, answer);
}
