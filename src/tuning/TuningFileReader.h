// Reads scale-tuning SysEx back from the bytes of a .syx, .mid or .txt file:
// the dialect, the twelve offsets and the parts or channels they were sent to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "midi/SmfReader.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"

enum class TuningFileKind { Syx, Mid, Txt, Scl, Unknown };

// From the file name's extension, any case: .syx, .txt, .scl, and .mid,
// .midi or .rmi for a MIDI file (a RIFF RMID wrapper is read through).
TuningFileKind tuningFileKindFromName(std::string_view fileName);
// Whether the name ends with `suffix` (lower case ASCII), whatever its case.
bool endsWithNoCase(std::string_view text, std::string_view suffix);
// The kinds the program saves a listing as: .mid, .syx and .txt only (a
// .midi or .rmi is read, never written as a listing); Unknown otherwise.
TuningFileKind savedFileKindFromName(std::string_view fileName);

constexpr std::size_t kMaxTuningFileBytes = 1024 * 1024;

enum class TuningReadError {
    None,
    FileTooLarge,       // more than kMaxTuningFileBytes
    UnsupportedKind,    // not Syx, Mid or Txt
    DamagedMidiFile,    // the MIDI file reader refused it (midiFault)
    BadHexText,         // a .txt token that is not two hex digits (line)
    Truncated,          // the only tuning messages are cut short (messageNumber)
    NoTuningMessage,    // empty, or no scale-tuning message in any dialect
};

// Messages of one group can be read together; the first tuning message's
// group is the file's.
enum class TuningGroup { Gs, Xg, Gm2Channels, Gm2Keys };

enum class TuningWarningKind {
    OtherPartsDiffer,     // parts: those whose offsets differ from the lowest part's
    IncompletePart,       // XG: parts; pitchClasses: the ones never sent, read as 0
    BadChecksum,          // GS: a message with a wrong checksum was skipped
    OtherFormatIgnored,   // messages of another group than the first were skipped; skippedGroup
    PartOutOfRange,       // XG parts above 16 were skipped
    IncompleteMessage,    // a tuning message cut short was skipped
    OffsetsHeld,          // MTS 2-byte values beyond -64..63 held; pitchClasses
    OtherOctavesDiffer,   // MTS keys: pitchClasses tuned otherwise outside keys 60-71
    IncompleteKeys,       // MTS keys: pitchClasses whose key in 60-71 never came, read as 0
    OtherProgramIgnored,  // MTS keys: messages for another tuning program than `program` were skipped
};

struct TuningReadWarning {
    TuningWarningKind kind;
    uint16_t parts = 0;         // bit n = part or channel n + 1
    uint16_t pitchClasses = 0;  // bit k = pitch class k
    std::size_t messageNumber = 0;  // 1-based SysEx message of the file, when it names one
    TuningGroup skippedGroup = TuningGroup::Gs;
};

struct TuningReadResult {
    TuningReadError error = TuningReadError::None;
    std::size_t line = 0;           // BadHexText
    SmfFault midiFault;             // DamagedMidiFile
    std::size_t messageNumber = 0;  // Truncated

    TuningFormat format = TuningFormat::GS;
    TuningGroup group = TuningGroup::Gs;
    MtsForm mtsForm = MtsForm::ScaleOctave1Byte;  // GM2: the form of the first message
    uint8_t program = 0;                          // the tuning program of the key-based forms
    std::array<int32_t, 12> offsets{};  // -64..63, C..B
    // The same in hundredths of a cent, beyond -64..63 where the form
    // reaches: the shortest value each 2-byte value or key encodes (whole,
    // then tenths, then hundredths); offsets * 100 in the other forms.
    std::array<int32_t, 12> hundredths{};
    // The frequency A4 sounds at on the lowest of `parts` (or the lowest
    // channel) that received a coarse or fine tuning (registered parameters
    // 2 and 1); 0 when no channel did.
    double impliedA4Hz = 0;
    // That channel's coarse tuning in semitones, when no fine tuning came
    // with it (as the program sends an A4 shift); 0 otherwise.
    int32_t coarseSemitones = 0;
    // Bit n = part (GS, XG) or channel (GM2) n + 1. For the key-based forms,
    // the channels that select the tuning program (bank 0) through registered
    // parameters 3 and 4; none when the file holds no such controllers.
    uint16_t parts = 0;
    // The key-based forms: each key's pitch as the file sets it, in 1/16384
    // semitones above key 0's equal-tempered pitch; nothing for a key that
    // no message sets or that only "no change" (7F 7F 7F) reaches.
    std::array<std::optional<int32_t>, kMtsKeyCount> keySteps{};
    std::vector<TuningReadWarning> warnings;

    bool ok() const { return error == TuningReadError::None; }
    ScaleOffsets scaleOffsets() const;
};

// Recognises, in any number and order:
//  - GS scale tuning: F0 41 dev 42 12 40 1x 4k, data bytes from pitch class
//    k on (twelve from 40), checksum, F7, any device; block 1x is a part as
//    gsPartBlock numbers it. A message with a wrong checksum is skipped, as
//    a synthesizer would, with a warning. A part for which some pitch
//    classes never arrive reads them as 0, with an IncompletePart warning.
//  - XG scale tuning: F0 43 1n 4C 08 pp 41..4C vv F7, part pp + 1 (1..16).
//    A part for which some pitch classes never arrive reads them as 0, with
//    an IncompletePart warning.
//  - MIDI Tuning Standard scale/octave tuning, real-time (7F) or not (7E),
//    any device: 08 08 ff gg hh + 12 data bytes (cents = byte - 64), and
//    08 09 ff gg hh + 12 pairs of 14-bit values (0x2000 = 0, 8192 steps per
//    100 cents, rounded to the nearest cent, halves away from zero; values
//    beyond -64..63 are held, with a warning).
//  - MIDI Tuning Standard single-note changes (08 02 tt ll, then ll keys)
//    and bulk dumps (08 01 tt, name, 128 keys, checksum: a wrong one is
//    skipped with a warning), for the tuning program of the first of them.
//    The offsets are those of keys 60-71, rounded to the nearest cent; keys
//    elsewhere that are tuned otherwise than their pitch class (a key held
//    at 00 00 00 or 7F 7F 7E, or at 7F 00 00 as earlier versions held the
//    top, agrees) bring a warning. 7F 7F 7F changes nothing; 7F 7F 7E is a
//    pitch.
// A later message for a part replaces what an earlier one set for it. The
// dialect is that of the first tuning message; messages of other dialects are
// skipped with a warning, and so are key-based messages after channel-based
// ones and the other way round. When parts carry different offsets, those of the
// lowest part are taken, `parts` holds the parts carrying exactly those
// offsets, and a warning names the others.
// .syx: raw bytes; bytes outside F0..F7 are skipped, and a message that
// another status byte or the end interrupts counts as cut short. .txt: hex
// pairs separated by any white space, any case, after an optional UTF-8 byte
// order mark. Both are listings (midi/MessageSplit.h). .mid: the F0 events
// of every track, in the order they sound (by time, then track), through the
// one MIDI file reader, which refuses a damaged file as the song command
// does. Control changes tell which channels select a tuning program.
TuningReadResult readTuningFile(TuningFileKind kind, const uint8_t* bytes, std::size_t size);

// The keys a single-note or bulk-dump file sets, as a keyboard tuning holds
// them (each the shortest offset that sends the same bytes), when they are not
// one twelve-pitch-class tuning: some key is left as it is, or keys outside
// 60-71 are tuned otherwise than their pitch class (the OtherOctavesDiffer
// warning; a held key agrees, as there). Nothing for any other file.
std::optional<KeyOffsets> keyboardKeysRead(const TuningReadResult& result);
// Whether a warning is about the twelve offsets made of the keys, which keys
// read as they are make beside the point.
bool aboutTwelveOffsets(TuningWarningKind kind);
