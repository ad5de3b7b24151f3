// The English words of what the core reports, as the command line prints
// them: the core returns kinds and their data, and each front end words them
// (the window through its string table).
#pragma once

#include <string>

#include "midi/SmfReader.h"
#include "midi/SysexMessages.h"
#include "tuning/TuningFileReader.h"

// What is wrong with a MIDI file, without the byte offset.
const char* smfErrorText(SmfError kind);
// "byte N: what is wrong": how read and apply name a refused MIDI file.
std::string smfFaultText(const SmfFault& fault);
// "GS Reset", "XG System On", ...; "reset" for a kind that is none.
const char* resetName(SysexKind kind);

std::string tuningReadErrorText(const TuningReadResult& result);
std::string tuningWarningText(const TuningReadResult& result, const TuningReadWarning& warning);
