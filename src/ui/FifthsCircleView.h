// The temperament dialog's circle of fifths, drawn with GDI into its
// owner-drawn control: the twelve notes in fifths order, each fifth coloured
// and labelled by how far it is from pure, and inside the twelve major
// thirds as marks between the pure and the equal-tempered reference rings,
// with a legend of two lines below.
#pragma once

#include <windows.h>

#include "tuning/TuningAnalysis.h"

// Draws into the control of `item` (WM_DRAWITEM) through an off-screen
// bitmap, in the dialog's font. Without an analysis (the A4 frequency is not
// accepted) only the notes, the rings and the legend are drawn.
void drawFifthsCircle(const DRAWITEMSTRUCT& item, const TuningAnalysis* analysis);
