// The English words of what the core reports, as the command line prints
// them: the core returns kinds and their data, and each front end words them
// (the window through its string table).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/LoadFileBytes.h"
#include "midi/SmfReader.h"
#include "midi/SysexMessages.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/ResolveTuning.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFileReader.h"
#include "tuning/TuningFit.h"

// Why a file could not be loaded, after "PATH: ": "cannot be opened: " and
// the system's reason, or "is larger than N MiB" for a file beyond `limit`.
std::string loadErrorText(const LoadedFile& loaded, std::size_t limit);

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

// "Line N: what is wrong." of a keyboard map, as scalaErrorText words a scale.
std::string keyboardMapErrorText(const KeyboardMapReadResult& result);
// The warning of a map with fewer key lines than its size.
std::string keyboardMapWarningText(const KeyboardMapReadResult& result);
// Led by the map's line ("Line 7: the formal octave degree ...") when the
// map came from a file, as the map's read errors are.
std::string keyboardTuningErrorText(const KeyboardTuningResult& result, const ScalaScale& scale);
// The DegreesCollide notice: "degree 1 (line 4) and degree 2 (line 5) both
// fall on D, so the scale goes on the keys, one degree a key".
std::string degreesOnKeysText(const TuningNotice& notice);
// Why a keyboard tuning is not twelve pitch classes, for a scale of `notes`.
std::string keyboardOnlyText(std::size_t notes);
// "3 5 60"
std::string numberList(const std::vector<int>& numbers);
// "1 note", "3 notes"
std::string plural(uint64_t count, const char* noun);
// Channels or parts as --parts takes them, numbered from 1: "1-9,11-16";
// "none" for none.
std::string channelListText(uint16_t channels);
// A line of `velmarin-cli keys`: "60<TAB>261.6256<TAB>0.00", or "60<TAB>-<TAB>-"
// for an unmapped key.
std::string keyLineText(int key, std::optional<double> hz);
