// The listing edit of the main window, kept in step with the listing text at
// the least cost to the edit control: under Wine a replacement lays out its
// lines again and redraws the themed scroll bar, so a change of one offset
// with sixteen parts would take several frames if done in one go.
//
// A change that keeps every position (offsets changed; same dialect and
// parts) replaces at once only the runs in view; the runs above and below the
// view follow when the typing pauses, and before the edit handles anything
// but painting, so whoever reads, copies or scrolls the listing meets the
// whole text. Other changes replace what changed at once. Either way the
// first visible line and the selection stay where they were.
#pragma once

#include <windows.h>

#include <string>

// Makes the listing edit show `wanted`.
void showInListing(const std::string& wanted);

// Brings the runs not yet shown into the edit and lets its scroll bar redraw.
// Does nothing when the edit is up to date.
void catchUpListing() noexcept;

// True for the messages the listing edit may handle while runs out of view
// are still to be shown: those that only paint what is in view.
bool handledWithoutCatchUp(UINT message);
