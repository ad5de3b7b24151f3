// The forms of the MIDI Tuning Standard the GM2 format can take, and the build
// of every format's messages with the chosen form. Synthesizers differ in the
// form they accept: some take only the scale/octave messages, some only
// single-note changes or a bulk dump, which retune keys rather than channels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "sysex/SysexBuilder.h"

// The value is also the index of the Options list and of the MtsForm key.
enum class MtsForm : int32_t {
    ScaleOctave1Byte = 0,  // F0 7E 7F 08 08: a data byte per pitch class (the default)
    ScaleOctave2Byte = 1,  // F0 7E 7F 08 09: a 14-bit value per pitch class
    SingleNote = 2,        // F0 7F 7F 08 02: every key of a tuning program, real-time
    BulkDump = 3,          // F0 7E 7F 08 01: a tuning program's 128 keys, named
};
constexpr int32_t kMtsFormCount = 4;

// The single-note and bulk-dump forms retune the keys of a tuning program and
// name no channel; the channels select that program with controllers.
bool isKeyBasedForm(MtsForm form);

struct MtsOptions {
    MtsForm form = MtsForm::ScaleOctave1Byte;
    uint8_t program = 0;        // tuning program of the key-based forms, 0..127
    std::string_view dumpName;  // the bulk dump's name; see bulkDumpName
};

constexpr uint8_t kMaxTuningProgram = 127;
constexpr std::size_t kSingleNoteKeysPerMessage = 64;
constexpr std::size_t kSingleNoteMessageSize = mtsSingleNoteSize(kSingleNoteKeysPerMessage);  // 264
constexpr std::size_t kBulkDumpSize = kMtsBulkDumpSize;
constexpr std::size_t kMts2ByteMessageSize = kMtsScaleOctave2ByteSize;

// Per selected channel, eight controller messages: registered parameter 3
// (tuning program select) and 4 (tuning bank select) through data entry, then
// the null parameter, so a later data entry changes nothing by mistake.
constexpr std::size_t kProgramSelectSize = 24;
constexpr std::size_t kLargestChannelList = 16 * kProgramSelectSize;

// Channel messages that go with a SysEx list: complete, status byte first,
// channel by channel in ascending order.
struct ChannelMessageList {
    uint8_t bytes[kLargestChannelList] = {};
    uint32_t length = 0;
};

// The messages of a tuning as every output takes them: the SysEx, then in
// the key-based GM2 forms the program select of each selected channel. A
// .syx holds the SysEx alone; the listing, .mid and .txt, songs and sending
// take all of it.
struct TuningListing {
    std::array<uint8_t, kLargestSysexList + kLargestChannelList> bytes{};
    uint32_t sysexLength = 0;
    uint32_t channelLength = 0;

    const uint8_t* data() const { return bytes.data(); }
    const uint8_t* channelMessages() const { return bytes.data() + sysexLength; }
    uint32_t size() const { return sysexLength + channelLength; }
};

// Offsets in hundredths of a cent, C..B, as a temperament, a scale or the
// command line give them, and the whole semitones of coarse tuning that go
// with them on every selected channel (0: none is sent). Each form
// quantises them once, by the rules below.
struct ExactOffsets {
    std::array<int32_t, 12> hundredths{};
    int32_t coarseSemitones = 0;
    bool operator==(const ExactOffsets& other) const {
        return hundredths == other.hundredths && coarseSemitones == other.coarseSemitones;
    }
};
// Whole cents as the edits hold them (no number: 0), held to -64..63.
ExactOffsets exactOffsets(const ScaleOffsets& whole);

// The offsets a form takes, in hundredths of a cent, and whether it carries
// fractions of a cent: -64..63 whole cents for GS, XG and the 1-byte form,
// -100.00..+99.99 for the 2-byte form, -100.00..+100.00 for the key-based
// forms (whose keys carry any A4 shift on top).
struct OffsetRange {
    int32_t lowest;
    int32_t highest;
    bool fractions;
};
OffsetRange offsetRange(TuningFormat format, MtsForm form);

// 7F 7F 7E: key 127 and 16382/16384 of a semitone, the highest pitch the
// key-based forms carry; 7F 7F 7F, a step above it, means "no change".
constexpr int32_t kHighestKeySteps =
    static_cast<int32_t>(kMtsKeyCount - 1) * kMtsStepsPerSemitone + (kMtsStepsPerSemitone - 2);

// The quantisation of an exact offset in each form:
// whole cents, halves away from zero (GS, XG, the 1-byte form);
int32_t wholeCents(int32_t hundredths);
// 8192 + round(cents * 8192 / 100), halves away from zero, held to
// 0..16383 (the 2-byte form);
uint16_t mts14BitValueExact(int32_t hundredths);
// the key's target key + cents / 100 in 1/16384 semitones, rounded up, the
// fraction carried into the semitone when it reaches 16384; a target below
// key 0 is held at 00 00 00, one beyond 7F 7F 7E (key 127 and 16382/16384,
// about 13,289.66 Hz at A4 = 440) at 7F 7F 7E, since 7F 7F 7F means no
// change (the key-based forms).
std::array<uint8_t, 3> keyTuningBytesExact(int key, int32_t hundredths);
// Whether a key's target lies beyond what keyTuningBytesExact can carry.
bool keyTargetHeld(int key, int32_t hundredths);

// The shortest offset (whole, then tenths, then hundredths of a cent) that
// the form encodes to `value` (a 2-byte value) or to `steps` above the key
// (1/16384 semitones; the key-based forms); the nearest when none does.
int32_t hundredthsOf2ByteValue(uint16_t value);
int32_t hundredthsOfKeySteps(int32_t steps);

// The 16 characters of a bulk dump's name: `name` when it is printable ASCII
// and not empty (the first 16 characters), else "Velmarin"; padded with spaces.
std::array<char, 16> bulkDumpName(std::string_view name);

// Builds as buildSysexList does, and for the GM2 format in a form other than
// the 1-byte one, that form's messages instead: the 2-byte scale/octave
// message for the selected channels, or the key-based messages for
// `mts.program` followed in `channelMessages` by the program select of every
// selected channel. Nothing is built when no channel is selected. The channel
// list is emptied for every other format and form. `sysex` must hold
// kLargestSysexList bytes. False for an unknown format, or the GM2 format
// with an unknown form; then sysex, length and channel list are left alone.
bool buildTuningMessages(TuningFormat format, const MtsOptions& mts, const ScaleOffsets& offsets,
                         uint32_t selection, ScaleDataBytes& scaleDataBytes, uint8_t* sysex,
                         uint32_t& length, ChannelMessageList& channelMessages);

// The same from exact offsets, each form quantising them by its rule; after
// the SysEx, every selected channel gets the coarse tuning when
// `exact.coarseSemitones` is not 0; the key-based forms add it to their keys
// instead. For whole offsets within -64..63 and no coarse tuning,
// the bytes are those of the overload above.
bool buildTuningMessagesExact(TuningFormat format, const MtsOptions& mts, const ExactOffsets& exact,
                         uint32_t selection, ScaleDataBytes& scaleDataBytes, uint8_t* sysex,
                         uint32_t& length, ChannelMessageList& channelMessages);

// A keyboard tuning as the key-based forms take it: each key's offset from
// its own equal-tempered pitch in hundredths of a cent, any size, or nothing
// for a key the tuning leaves as it is.
using KeyOffsets = std::array<std::optional<int32_t>, kMtsKeyCount>;

// The single-note or bulk-dump messages of a keyboard tuning for
// `mts.program`, each key quantised as keyTuningBytesExact does and a key
// with no offset sent as the standard's "no change", 7F 7F 7F, in both
// forms; then the program select of every selected channel. Nothing is built
// when no channel is selected. Nothing for a form that is not key-based.
std::optional<TuningListing> buildKeyboardListing(const MtsOptions& mts, const KeyOffsets& keys,
                                                  uint32_t selection);

// buildTuningMessagesExact into one value; nothing for an unknown format or
// form (scaleDataBytes is written all the same).
std::optional<TuningListing> buildTuningListingExact(TuningFormat format, const MtsOptions& mts,
                                                const ExactOffsets& exact, uint32_t selection,
                                                ScaleDataBytes& scaleDataBytes);
