// The English words of what the core reports, as the command line prints
// them: the core returns kinds and their data, and each front end words them
// (the window through its string table).
#pragma once

#include <string>

#include "midi/SmfReader.h"
#include "midi/SysexMessages.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFileReader.h"
#include "tuning/TuningFit.h"

// What is wrong with a MIDI file, without the byte offset.
const char* smfErrorText(SmfError kind);
// "byte N: what is wrong": how read and apply name a refused MIDI file.
std::string smfFaultText(const SmfFault& fault);
// "GS Reset", "XG System On", ...; "reset" for a kind that is none.
const char* resetName(SysexKind kind);

std::string tuningReadErrorText(const TuningReadResult& result);
std::string tuningWarningText(const TuningReadResult& result, const TuningReadWarning& warning);

// The fit report as a fixed-width ASCII table: a header, then one row per
// note C..B with its name, exact cents, the integer sent, the rounding error
// and "held" for a note held at a limit; then one line naming the held notes
// and one naming the unmapped ones, each only when there are any. Lines end
// with '\n'.
std::string formatFitReport(const TuningFit& fit);

// "Line N: what is wrong." (without the line for the whole file).
std::string scalaErrorText(const ScalaReadResult& result);
std::string scaleMapErrorText(const ScaleMapResult& result);
const char* fitErrorText(FitError error);
