// The temperament dialog (template 112): a built-in temperament or a Scala
// scale opened in this run, moved to a tonic, put on a zero note and an A4
// frequency, with its fit report as a preview that follows every change. OK
// writes the twelve offsets into the main window with one listing rebuild;
// Cancel changes nothing. The choices of the last OK and the scales opened
// are kept for the run, never in a settings file.
#pragma once

#include <windows.h>

#include <string>

void showTemperamentDialog(HWND owner);

// Reads the Scala file at `path`, showing any error over `owner`; when it
// maps onto the twelve pitch classes it joins the list and the dialog opens
// with it chosen.
void openScalaFile(HWND owner, const std::string& path);
