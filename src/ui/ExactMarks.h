// The quiet mark beside each note whose exact value (hundredths of a cent
// from the 音律 dialog) the listing sends, while its edit shows the rounding.
#pragma once

#include <windows.h>

// Once, from the main dialog's WM_INITDIALOG: one hidden mark a note, left
// of its name, in the dialog's font.
void createExactMarks(HWND dialog);
// Shows the marks of the notes that carry an exact value in the chosen
// format and form; hides the others.
void showExactMarks();
