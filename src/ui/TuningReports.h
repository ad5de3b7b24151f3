// The Japanese texts of what the tuning readers report, composed from the
// string table for the message boxes: a sentence for the kind of error, then
// the file, with its line where the error names one; warnings as a list.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "midi/SmfReader.h"
#include "base/LoadFileBytes.h"
#include "tuning/KeyboardMap.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFileReader.h"

// `text` with %1, %2, ... replaced by the arguments, in one pass, so an
// argument holding "%2" stays as it is.
std::string fillIn(const std::string& text, std::initializer_list<std::string> arguments);
// Line `index` (0 for the first) of string-table entry `id`; "" past its end.
std::string resourceLine(UINT id, std::size_t index);

// One kind of what the core reports and the string-table line that words
// it. Each table names its kinds explicitly, so a kind added to the core
// shifts no other kind's text; wordsEveryKindOnce checks a table at compile
// time.
template <class Kind>
struct KindLine {
    Kind kind;
    UINT id;
    std::size_t line;
};

template <class Kind, std::size_t N>
constexpr bool wordsEveryKindOnce(const KindLine<Kind> (&table)[N], int firstKind, int lastKind) {
    for (int kind = firstKind; kind <= lastKind; ++kind) {
        int found = 0;
        for (const KindLine<Kind>& entry : table) found += static_cast<int>(entry.kind) == kind ? 1 : 0;
        if (found != 1) return false;
    }
    return N == static_cast<std::size_t>(lastKind - firstKind + 1);
}

template <class Kind, std::size_t N>
std::string kindLine(const KindLine<Kind> (&table)[N], Kind kind) {
    for (const KindLine<Kind>& entry : table)
        if (entry.kind == kind) return resourceLine(entry.id, entry.line);
    return {};
}

std::string loadErrorText(LoadFileError error, const std::string& path);
std::string scalaErrorText(const ScalaReadResult& result, const std::string& path);
std::string scaleMapErrorText(const ScaleMapResult& result, const std::string& path);
std::string keyboardMapErrorText(const KeyboardMapReadResult& result, const std::string& path);
std::string keyboardMapWarningText(const KeyboardMapReadResult& result, const std::string& path);
// `path`: the map's, or the scale's when no map was opened; with the map's
// line when the error names one.
std::string keyboardTuningErrorText(const KeyboardTuningResult& result, const ScalaScale& scale,
                                    const std::string& path);
std::string tuningErrorText(const TuningReadResult& result, const std::string& path);
// What is wrong with a refused MIDI file, at which byte, then the file: the
// same text for the song command and for a MIDI file opened for its tuning.
std::string midiFaultText(const SmfFault& fault, const std::string& path);
// The file, then every warning on a line of its own; "" when there are none.
std::string tuningWarningsText(const TuningReadResult& result, const std::string& path);

// A scale as the window names it: its description, whose bytes are read as
// UTF-8 where they are and as code page 932 otherwise, as a Japanese Windows
// showed every file before; the file name when the description is blank.
std::string scaleNameText(const std::string& description, const std::string& fileName);

// Note names of the set bits (bit k = pitch class k), e.g. "C#, F".
std::string noteNameList(uint32_t pitchClasses);

// The text under "エラー" with the error icon, or under "警告" with the
// warning icon, centred over `owner`.
void showReadError(HWND owner, const std::string& text);
void showReadWarning(HWND owner, const std::string& text);
