#include "ui/TuningReports.h"

#include <initializer_list>
#include <vector>

#include "base/Cp932Text.h"
#include "resource.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "tuning/NoteNames.h"

namespace {

// The sentence, a blank line, then the file with its line when there is one.
std::string withFile(const std::string& sentence, const std::string& path, std::size_t line = 0) {
    const std::string file =
        line == 0 ? path : fillIn(loadResourceString(IDS_FILE_AT_LINE), {path, std::to_string(line)});
    return sentence + "\n\n" + file;
}

std::string partList(uint32_t parts) {
    std::string list;
    for (int n = 0; n < 16; ++n)
        if (parts & (1u << n)) list += (list.empty() ? "" : ", ") + std::to_string(n + 1);
    return list;
}

// The key-based forms' warnings came later and have an entry of their own.
constexpr KindLine<TuningWarningKind> kWarningLines[] = {
    {TuningWarningKind::OtherPartsDiffer, IDS_WARNING_LINES, 0},
    {TuningWarningKind::IncompletePart, IDS_WARNING_LINES, 1},
    {TuningWarningKind::BadChecksum, IDS_WARNING_LINES, 2},
    {TuningWarningKind::OtherFormatIgnored, IDS_WARNING_LINES, 3},
    {TuningWarningKind::PartOutOfRange, IDS_WARNING_LINES, 4},
    {TuningWarningKind::IncompleteMessage, IDS_WARNING_LINES, 5},
    {TuningWarningKind::OffsetsHeld, IDS_WARNING_LINES, 6},
    {TuningWarningKind::OtherOctavesDiffer, IDS_MTS_WARNING_LINES, 0},
    {TuningWarningKind::IncompleteKeys, IDS_MTS_WARNING_LINES, 1},
    {TuningWarningKind::OtherProgramIgnored, IDS_MTS_WARNING_LINES, 2},
};
static_assert(wordsEveryKindOnce(kWarningLines, 0, static_cast<int>(TuningWarningKind::OtherProgramIgnored)),
              "a line for every kind of warning");

constexpr KindLine<SmfError> kMidiFaultLines[] = {
    {SmfError::NotMidiFile, IDS_SONG_ERROR_LINES, 0},     {SmfError::Format2, IDS_SONG_ERROR_LINES, 1},
    {SmfError::BadDivision, IDS_SONG_ERROR_LINES, 2},     {SmfError::NoTrack, IDS_SONG_ERROR_LINES, 3},
    {SmfError::ChunkPastEnd, IDS_SONG_ERROR_LINES, 4},    {SmfError::NumberTooLong, IDS_SONG_ERROR_LINES, 5},
    {SmfError::EventPastTrack, IDS_SONG_ERROR_LINES, 6},  {SmfError::NoRunningStatus, IDS_SONG_ERROR_LINES, 7},
    {SmfError::StrayStatus, IDS_SONG_ERROR_LINES, 8},     {SmfError::TimeTooLarge, IDS_SONG_ERROR_LINES, 9},
};
static_assert(wordsEveryKindOnce(kMidiFaultLines, 1, kSmfErrorCount - 1), "a line for every kind of damage");

constexpr KindLine<KeyboardMapError> kKeyboardMapLines[] = {
    {KeyboardMapError::FileTooLarge, IDS_KBM_ERROR_LINES, 0},
    {KeyboardMapError::MissingValue, IDS_KBM_ERROR_LINES, 1},
    {KeyboardMapError::NotANumber, IDS_KBM_ERROR_LINES, 2},
    {KeyboardMapError::OutOfRange, IDS_KBM_ERROR_LINES, 3},
    {KeyboardMapError::LastKeyBeforeFirst, IDS_KBM_ERROR_LINES, 4},
};
static_assert(wordsEveryKindOnce(kKeyboardMapLines, 1, static_cast<int>(KeyboardMapError::LastKeyBeforeFirst)),
              "a line for every kind of keyboard-map error");

constexpr KindLine<KeyboardTuningError> kKeyboardTuningLines[] = {
    {KeyboardTuningError::NoPitches, IDS_KEYBOARD_ERROR_LINES, 0},
    {KeyboardTuningError::FormalOctaveBeyondScale, IDS_KEYBOARD_ERROR_LINES, 1},
    {KeyboardTuningError::ReferenceKeyUnmapped, IDS_KEYBOARD_ERROR_LINES, 2},
};
static_assert(wordsEveryKindOnce(kKeyboardTuningLines, 1,
                                 static_cast<int>(KeyboardTuningError::ReferenceKeyUnmapped)),
              "a line for every kind of keyboard-tuning error");

}  // namespace

std::string keyboardMapErrorText(const KeyboardMapReadResult& result, const std::string& path) {
    return withFile(kindLine(kKeyboardMapLines, result.error), path, result.line);
}

std::string keyboardMapWarningText(const KeyboardMapReadResult& result, const std::string& path) {
    // Worded as the tuning readers' warnings are.
    return loadResourceString(IDS_WARNINGS_HEADER) + "\n" + path + "\n\n" +
           fillIn(loadResourceString(IDS_KBM_TOO_FEW_LINES),
                  {std::to_string(result.map.mapSize), std::to_string(result.keyLinesRead)});
}

std::string keyboardTuningErrorText(const KeyboardTuningResult& result, const ScalaScale& scale,
                                    const std::string& path) {
    return withFile(fillIn(kindLine(kKeyboardTuningLines, result.error),
                           {std::to_string(result.formalOctave), std::to_string(scale.pitches.size())}),
                    path, result.line);
}

// A byte scan is safe in code page 932: no trail byte of a double-byte
// character is '%'.
std::string fillIn(const std::string& text, std::initializer_list<std::string> arguments) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t number = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '0') : 0;
        if (text[i] == '%' && number >= 1 && number <= arguments.size()) {
            filled += arguments.begin()[number - 1];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

std::string resourceLine(UINT id, std::size_t index) {
    const std::string lines = loadResourceString(id);
    std::size_t begin = 0;
    for (std::size_t skip = index; skip > 0 && begin != std::string::npos; --skip) {
        begin = lines.find('\n', begin);
        if (begin != std::string::npos) ++begin;
    }
    if (begin == std::string::npos) return {};
    return lines.substr(begin, lines.find('\n', begin) - begin);
}

std::string scaleNameText(const std::string& description, const std::string& fileName) {
    if (description.find_first_not_of(" \t") == std::string::npos) return fileName;
    const bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, description.data(),
                                          static_cast<int>(description.size()), nullptr, 0) > 0;
    return utf8 ? description : utf8FromCp932(description);
}

std::string noteNameList(uint32_t pitchClasses) {
    std::vector<int> listed;
    for (int k = 0; k < 12; ++k)
        if (pitchClasses & (1u << k)) listed.push_back(k);
    return pitchClassList(listed, ", ");
}

std::string loadErrorText(LoadFileError error, const std::string& path) {
    return withFile(loadResourceString(error == LoadFileError::TooLarge ? IDS_FILE_TOO_LARGE : IDS_CANNOT_READ_FILE),
                    path);
}

std::string scalaErrorText(const ScalaReadResult& result, const std::string& path) {
    UINT sentence = IDS_CANNOT_READ_FILE;
    switch (result.error) {
    case ScalaError::None: return {};
    case ScalaError::FileTooLarge: sentence = IDS_FILE_TOO_LARGE; break;
    case ScalaError::MissingCount: sentence = IDS_SCALA_MISSING_COUNT; break;
    case ScalaError::BadCount: sentence = IDS_SCALA_BAD_COUNT; break;
    case ScalaError::CountTooLarge: sentence = IDS_SCALA_COUNT_TOO_LARGE; break;
    case ScalaError::MissingPitches: sentence = IDS_SCALA_MISSING_PITCHES; break;
    case ScalaError::NotANumber: sentence = IDS_SCALA_NOT_A_NUMBER; break;
    case ScalaError::NonPositiveRatio: sentence = IDS_SCALA_NON_POSITIVE_RATIO; break;
    case ScalaError::NumberTooLarge: sentence = IDS_SCALA_NUMBER_TOO_LARGE; break;
    }
    return withFile(loadResourceString(sentence), path, result.line);
}

std::string scaleMapErrorText(const ScaleMapResult& result, const std::string& path) {
    switch (result.error) {
    case ScaleMapError::None: return {};
    case ScaleMapError::NoPitches: return withFile(loadResourceString(IDS_SCALE_NO_PITCHES), path);
    case ScaleMapError::PeriodNotOctave: return withFile(loadResourceString(IDS_SCALE_PERIOD_NOT_OCTAVE), path);
    case ScaleMapError::TooManyNotes: return withFile(loadResourceString(IDS_SCALE_TOO_MANY_NOTES), path);
    case ScaleMapError::DegreesCollide:
        return withFile(fillIn(loadResourceString(IDS_SCALE_DEGREES_COLLIDE),
                               {std::to_string(result.firstDegree), std::to_string(result.secondDegree),
                                pitchClassName(result.pitchClass)}),
                        path);
    }
    return {};
}

std::string tuningErrorText(const TuningReadResult& result, const std::string& path) {
    switch (result.error) {
    case TuningReadError::None: return {};
    case TuningReadError::FileTooLarge: return withFile(loadResourceString(IDS_FILE_TOO_LARGE), path);
    case TuningReadError::UnsupportedKind: return withFile(loadResourceString(IDS_UNSUPPORTED_KIND), path);
    case TuningReadError::DamagedMidiFile: return midiFaultText(result.midiFault, path);
    case TuningReadError::BadHexText: return withFile(loadResourceString(IDS_BAD_HEX_TEXT), path, result.line);
    case TuningReadError::Truncated:
        return withFile(fillIn(loadResourceString(IDS_TRUNCATED), {std::to_string(result.messageNumber)}), path);
    case TuningReadError::NoTuningMessage: return withFile(loadResourceString(IDS_NO_TUNING_MESSAGE), path);
    }
    return {};
}

std::string tuningWarningsText(const TuningReadResult& result, const std::string& path) {
    if (result.warnings.empty()) return {};
    // A file of many damaged messages would make a box taller than the screen.
    constexpr std::size_t kMostListed = 10;
    std::string text = loadResourceString(IDS_WARNINGS_HEADER) + "\n" + path + "\n";
    for (std::size_t i = 0; i < result.warnings.size() && i < kMostListed; ++i) {
        const TuningReadWarning& warning = result.warnings[i];
        text += "\n" + fillIn(kindLine(kWarningLines, warning.kind), {partList(warning.parts), noteNameList(warning.pitchClasses),
                                                          std::to_string(warning.messageNumber)});
    }
    if (result.warnings.size() > kMostListed) text += "\n...";
    return text;
}

std::string midiFaultText(const SmfFault& fault, const std::string& path) {
    return fillIn(loadResourceString(IDS_SONG_AT_BYTE),
                  {kindLine(kMidiFaultLines, fault.kind), std::to_string(fault.byteOffset)}) +
           "\n\n" + path;
}

void showReadError(HWND owner, const std::string& text) {
    centeredMessageBox(owner, text.c_str(), loadResourceString(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR);
}

void showReadWarning(HWND owner, const std::string& text) {
    centeredMessageBox(owner, text.c_str(), loadResourceString(IDS_WARNING_CAPTION).c_str(), MB_ICONWARNING);
}
