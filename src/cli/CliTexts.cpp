#include "cli/CliTexts.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "base/SystemErrorText.h"
#include "tuning/KeyPitch.h"
#include "tuning/NoteNames.h"

namespace {

std::string numbered(const char* text, std::size_t number) { return text + std::to_string(number); }

// "C#, F" for bits k = pitch class k; "5, 12" for bits n = part n + 1.
std::string listOf(uint16_t mask, bool names) {
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (!(mask & (1u << i))) continue;
        if (!text.empty()) text += ", ";
        text += names ? pitchClassName(i) : std::to_string(i + 1);
    }
    return text;
}

const char* groupName(TuningGroup group) {
    switch (group) {
    case TuningGroup::Gs: return "GS";
    case TuningGroup::Xg: return "XG";
    case TuningGroup::Gm2Channels: return "GM2";
    case TuningGroup::Gm2Keys: return "GM2 single-note and bulk dump";
    }
    return "";
}

// "degree 1 (line 4) and degree 2 (line 5) both fall on D"; the implicit
// 1/1 is line 0.
std::string degreesOnOnePitchClass(const std::array<int, 2>& degrees, const std::array<std::size_t, 2>& lines,
                                   int pitchClass) {
    std::string text;
    for (int i = 0; i < 2; ++i) {
        text += (i ? " and degree " : "degree ") + std::to_string(degrees[i]);
        text += lines[i] == 0 ? " (the implicit 1/1)" : " (line " + std::to_string(lines[i]) + ")";
    }
    return text + " both fall on " + pitchClassName(pitchClass);
}

int lowestPart(uint16_t parts) {
    int lowest = 0;
    while (lowest < 15 && !(parts & (1u << lowest))) ++lowest;
    return lowest + 1;
}

}  // namespace

std::string loadErrorText(const LoadedFile& loaded, std::size_t limit) {
    switch (loaded.error) {
    case LoadFileError::None: return "";
    case LoadFileError::CannotOpen: return "cannot be opened: " + systemErrorText(loaded.systemError);
    case LoadFileError::TooLarge: return "is larger than " + std::to_string(limit / (1024 * 1024)) + " MiB";
    case LoadFileError::ReadFailed: return "cannot be read: " + systemErrorText(loaded.systemError);
    }
    return "";
}

const char* smfErrorText(SmfError kind) {
    switch (kind) {
    case SmfError::None: return "";
    case SmfError::NotMidiFile: return "not a MIDI file: no MThd header of six bytes or more";
    case SmfError::Format2: return "format 2 (independent patterns) is not a song this can tune";
    case SmfError::BadDivision: return "the division is neither ticks per quarter note nor an SMPTE rate";
    case SmfError::NoTrack: return "the file holds no track (MTrk)";
    case SmfError::ChunkPastEnd: return "a chunk's length runs past the end of the file";
    case SmfError::NumberTooLong: return "a variable-length number is longer than four bytes";
    case SmfError::EventPastTrack: return "an event runs past the end of its track";
    case SmfError::NoRunningStatus: return "a data byte where a status byte is due";
    case SmfError::StrayStatus: return "a status byte that has no place in a MIDI file";
    case SmfError::TimeTooLarge: return "a moved event's delta time would not fit in four bytes";
    }
    return "";
}

std::string smfFaultText(const SmfFault& fault) {
    return "byte " + std::to_string(fault.byteOffset) + ": " + smfErrorText(fault.kind);
}

const char* resetName(SysexKind kind) {
    switch (kind) {
    case SysexKind::GsReset: return "GS Reset";
    case SysexKind::GsSystemMode: return "GS system mode set";
    case SysexKind::XgSystemOn: return "XG System On";
    case SysexKind::XgAllParameterReset: return "XG All Parameter Reset";
    case SysexKind::GmSystemOn: return "GM System On";
    case SysexKind::GmSystemOff: return "GM System Off";
    case SysexKind::Gm2SystemOn: return "GM2 System On";
    default: return "reset";
    }
}

std::string tuningReadErrorText(const TuningReadResult& result) {
    switch (result.error) {
    case TuningReadError::None: return "";
    case TuningReadError::FileTooLarge: return "The file is larger than 1 MiB.";
    case TuningReadError::UnsupportedKind: return "Only .syx, .mid and .txt files hold tuning messages.";
    case TuningReadError::DamagedMidiFile: return smfFaultText(result.midiFault);
    case TuningReadError::BadHexText:
        return numbered("Line ", result.line) + ": the text holds something other than pairs of hex digits.";
    case TuningReadError::Truncated:
        return numbered("Tuning message ", result.messageNumber) + " is cut short, and the file holds no complete one.";
    case TuningReadError::NoTuningMessage: return "The file holds no scale-tuning message.";
    }
    return "";
}

std::string tuningWarningText(const TuningReadResult& result, const TuningReadWarning& warning) {
    const bool channels = result.format == TuningFormat::GM2;
    const std::string pitchClasses = listOf(warning.pitchClasses, true);
    switch (warning.kind) {
    case TuningWarningKind::OtherPartsDiffer: {
        const bool several = (warning.parts & (warning.parts - 1)) != 0;
        return std::string(channels ? "Channel" : "Part") + (several ? "s " : " ") + listOf(warning.parts, false) +
               " carry other offsets than " + (channels ? "channel " : "part ") +
               std::to_string(lowestPart(result.parts)) + " and were left out.";
    }
    case TuningWarningKind::IncompletePart:
        return std::string(channels ? "Channel" : "Part") + " " + listOf(warning.parts, false) + " has no value for " +
               pitchClasses + "; read as 0.";
    case TuningWarningKind::BadChecksum:
        return numbered(result.group == TuningGroup::Gs ? "GS message " : "Bulk dump ", warning.messageNumber) +
               " has a wrong checksum and was skipped.";
    case TuningWarningKind::OtherFormatIgnored:
        return std::string(groupName(warning.skippedGroup)) + " messages were skipped: the file's first tuning message is " +
               groupName(result.group) + ".";
    case TuningWarningKind::PartOutOfRange: return "Messages for XG parts above 16 were skipped.";
    case TuningWarningKind::IncompleteMessage:
        return numbered("Tuning message ", warning.messageNumber) + " is cut short and was skipped.";
    case TuningWarningKind::OffsetsHeld: return "Offsets beyond -64..63 were held at the limit: " + pitchClasses + ".";
    case TuningWarningKind::OtherOctavesDiffer:
        return "Keys outside 60-71 are tuned otherwise for " + pitchClasses + "; keys 60-71 were read.";
    case TuningWarningKind::IncompleteKeys: return "Keys 60-71 have no value for " + pitchClasses + "; read as 0.";
    case TuningWarningKind::OtherProgramIgnored:
        return "Messages for other tuning programs than " + std::to_string(result.program) + " were skipped.";
    }
    return "";
}

std::string formatFitReport(const TuningFit& fit) {
    std::string text = "Note     Exact  Sent   Error\n";
    char line[96];
    for (const FitReportRow& row : fitReportRows(fit)) {
        // Hundredths take two more columns; whole cents keep today's layout.
        std::snprintf(line, sizeof line, fit.fractions ? "%-4s %9s %7s %7s%s\n" : "%-4s %9s %5s %7s%s\n", row.note,
                      row.exact.c_str(), row.sent.c_str(), row.error.c_str(), row.held ? "  held" : "");
        text += line;
    }
    if (!fit.heldNotes.empty()) text += "Held at a limit: " + pitchClassList(fit.heldNotes, ", ") + "\n";
    if (fit.coarseSemitones != 0)
        text += "Coarse tuning: " + std::string(fit.coarseSemitones > 0 ? "+" : "") +
                std::to_string(fit.coarseSemitones) + " semitone" + (std::abs(fit.coarseSemitones) == 1 ? "" : "s") +
                " on every channel (the A4 shift)\n";
    if (!fit.unmappedNotes.empty())
        text += "Not in the scale (sent as 0 before the zero note): " + pitchClassList(fit.unmappedNotes, ", ") + "\n";
    return text;
}

std::string scalaErrorText(const ScalaReadResult& result) {
    std::string what;
    switch (result.detail) {
    case ScalaDetail::None: return "";
    case ScalaDetail::TooLarge: return "The file is larger than 1 MiB.";
    case ScalaDetail::NoDescription: what = "the file ends before the description and the number of notes."; break;
    case ScalaDetail::NoCount: what = "the file ends before the number of notes."; break;
    case ScalaDetail::NegativeCount: what = "the number of notes is negative."; break;
    case ScalaDetail::CountNotANumber: what = "the number of notes is missing or not a number."; break;
    case ScalaDetail::CountTooLarge: what = "more than 1000 notes; such a scale is refused."; break;
    case ScalaDetail::TooFewPitches:
        what = "the file ends after " + std::to_string(result.pitchesRead) + " of " + std::to_string(result.count) +
               " pitches.";
        break;
    case ScalaDetail::NumberTooLarge: what = "the number is too large."; break;
    case ScalaDetail::NoPitchValue: what = "no pitch value (cents with a '.', or a ratio p/q or integer)."; break;
    case ScalaDetail::NoDenominator: what = "the ratio has no denominator."; break;
    case ScalaDetail::ZeroDenominator: what = "the ratio has denominator 0."; break;
    case ScalaDetail::RatioNotPositive: what = "a ratio must be greater than 0."; break;
    }
    return numbered("Line ", result.line) + ": " + what;
}

std::string scaleMapErrorText(const ScaleMapResult& result) {
    switch (result.error) {
    case ScaleMapError::None: return "";
    case ScaleMapError::NoPitches: return "The scale lists no pitches, so it has no period.";
    case ScaleMapError::PeriodNotOctave:
        return numbered("The scale repeats at line ", result.periodLine) +
               ", not at the octave (2/1 or 1200.0 cents); Velmarin tunes twelve pitch classes that repeat every "
               "octave.";
    case ScaleMapError::TooManyNotes:
        return numbered("The scale has ", result.noteCount) +
               " notes; Velmarin tunes twelve pitch classes that repeat every octave, so at most twelve notes can be "
               "used.";
    case ScaleMapError::DegreesCollide:
        return "Scale " +
               degreesOnOnePitchClass({result.firstDegree, result.secondDegree},
                                      {result.firstDegreeLine, result.secondDegreeLine}, result.pitchClass) +
               ".";
    }
    return "";
}

const char* fitErrorText(FitError error) {
    switch (error) {
    case FitError::None: return "";
    case FitError::TonicOutOfRange: return "The tonic must be a pitch class from C to B.";
    case FitError::A4OutOfRange: return "The A4 frequency must lie between 380 and 480 Hz.";
    }
    return "";
}

std::string keyboardMapErrorText(const KeyboardMapReadResult& result) {
    if (result.error == KeyboardMapError::FileTooLarge) return "The file is larger than 1 MiB.";
    static const char* const kFields[] = {"the map size", "the first key", "the last key", "the middle key",
                                          "the reference key", "the reference frequency",
                                          "the formal octave degree", "a key's degree"};
    const std::string field = kFields[static_cast<int>(result.field)];
    std::string what;
    switch (result.error) {
    case KeyboardMapError::None:
    case KeyboardMapError::FileTooLarge: return "";
    case KeyboardMapError::MissingValue: what = "the file ends before " + field + "."; break;
    case KeyboardMapError::NotANumber:
        what = field + (result.field == KeyboardMapField::Degree ? " is neither a number nor x." : " is not a number.");
        break;
    case KeyboardMapError::OutOfRange:
        switch (result.field) {
        case KeyboardMapField::MapSize: what = "the map size must lie between 0 and 1000."; break;
        case KeyboardMapField::ReferenceFrequency:
            what = "the reference frequency must be above 0 and at most 1000000 Hz.";
            break;
        case KeyboardMapField::FormalOctave: what = "the formal octave degree must lie between 0 and 1000."; break;
        case KeyboardMapField::Degree: what = "a degree must lie between 0 and 1000000."; break;
        default: what = field + " must lie between 0 and 127."; break;
        }
        break;
    case KeyboardMapError::LastKeyBeforeFirst: what = "the last key lies below the first key."; break;
    }
    return numbered("Line ", result.line) + ": " + what;
}

std::string keyboardMapWarningText(const KeyboardMapReadResult& result) {
    return "the map has " + std::to_string(result.map.mapSize) + " entries but " +
           std::to_string(result.keyLinesRead) + " key lines; the rest are unmapped.";
}

std::string keyboardTuningErrorText(const KeyboardTuningResult& result, const ScalaScale& scale) {
    std::string what;
    switch (result.error) {
    case KeyboardTuningError::None: return "";
    case KeyboardTuningError::NoPitches: return "The scale lists no pitches, so it has no period.";
    case KeyboardTuningError::FormalOctaveBeyondScale:
        what = "the formal octave degree " + std::to_string(result.formalOctave) + " lies beyond the scale's " +
               std::to_string(scale.pitches.size()) + " notes.";
        break;
    case KeyboardTuningError::ReferenceKeyUnmapped:
        what = "the reference key is unmapped, so no key can be given its frequency.";
        break;
    }
    if (result.line != 0) return numbered("Line ", result.line) + ": " + what;
    what.front() = 'T';
    return what;
}

std::string degreesOnKeysText(const TuningNotice& notice) {
    return degreesOnOnePitchClass({notice.items.at(0), notice.items.at(1)}, {notice.lines.at(0), notice.lines.at(1)},
                                  notice.pitchClass) +
           ", so the scale goes on the keys, one degree a key";
}

std::string keyboardOnlyText(std::size_t notes) {
    return "the scale of " + std::to_string(notes) +
           " notes tunes each key, not twelve pitch classes that repeat every octave";
}

std::string numberList(const std::vector<int>& numbers) {
    std::string text;
    for (int number : numbers) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

std::string plural(uint64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string channelListText(uint16_t channels) {
    std::string text;
    for (int first = 0; first < 16; ++first) {
        if (!(channels & (1u << first))) continue;
        int last = first;
        while (last + 1 < 16 && (channels & (1u << (last + 1)))) ++last;
        text += (text.empty() ? "" : ",") + std::to_string(first + 1);
        if (last > first) text += "-" + std::to_string(last + 1);
        first = last;
    }
    return text.empty() ? "none" : text;
}

std::string keyLineText(int key, std::optional<double> hz) {
    if (!hz) return std::to_string(key) + "\t-\t-";
    char line[80];
    std::snprintf(line, sizeof line, "%d\t%.4f\t%.2f", key, *hz, centsAboveKey(key, *hz));
    std::string text = line;
    if (text.size() >= 5 && text.compare(text.size() - 5, 5, "-0.00") == 0) text.erase(text.size() - 5, 1);
    return text;
}
