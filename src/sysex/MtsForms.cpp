#include "sysex/MtsForms.h"

#include <algorithm>
#include <cmath>

#include "midi/ControlChanges.h"
#include "midi/StatusBytes.h"

namespace {

constexpr int32_t kStepsPerSemitone = kMtsStepsPerSemitone;
constexpr int kKeyCount = static_cast<int>(kMtsKeyCount);

// Integer division rounded to the nearest, halves away from zero.
int32_t roundedDivision(int32_t numerator, int32_t denominator) {
    return numerator >= 0 ? (numerator + denominator / 2) / denominator
                          : -((-numerator + denominator / 2) / denominator);
}

using Hundredths = std::array<int32_t, 12>;

int64_t divisionRoundedUp64(int64_t numerator, int64_t denominator) {
    return numerator >= 0 ? (numerator + denominator - 1) / denominator : -(-numerator / denominator);
}

int64_t roundedDivision64(int64_t numerator, int64_t denominator) {
    return numerator >= 0 ? (numerator + denominator / 2) / denominator
                          : -((-numerator + denominator / 2) / denominator);
}

// The key's target in 1/16384 semitones.
int64_t keyTarget(int key, int32_t hundredths) {
    return int64_t{key} * kStepsPerSemitone + divisionRoundedUp64(int64_t{hundredths} * kStepsPerSemitone, 10000);
}

// The shortest offset, in hundredths, that `encodes` accepts, near `exact`
// (in hundredths): whole cents first, then tenths, then hundredths.
template <class Encodes>
int32_t shortestHundredths(double exact, Encodes encodes) {
    for (const int32_t unit : {100, 10, 1}) {
        const int64_t middle = std::llround(exact / unit);
        std::optional<int32_t> best;
        for (int64_t k = middle - 2; k <= middle + 2; ++k) {
            const int32_t candidate = static_cast<int32_t>(k * unit);
            if (encodes(candidate) && (!best || std::fabs(candidate - exact) < std::fabs(*best - exact)))
                best = candidate;
        }
        if (best) return *best;
    }
    return static_cast<int32_t>(std::llround(exact));
}

uint8_t* appendMts2ByteMessage(uint8_t* out, uint32_t selection, const Hundredths& data) {
    *out++ = kSysexStart;
    *out++ = 0x7E;  // universal non-real-time
    *out++ = 0x7F;  // all call
    *out++ = 0x08;  // MIDI Tuning Standard
    *out++ = 0x09;  // scale/octave tuning, 2-byte form
    const std::array<uint8_t, 3> channels = mtsChannelMapBytes(static_cast<uint16_t>(selection));
    out = std::copy(channels.begin(), channels.end(), out);
    for (int32_t hundredths : data) {
        const uint16_t value = mts14BitValueExact(hundredths);
        *out++ = static_cast<uint8_t>(value >> 7);
        *out++ = static_cast<uint8_t>(value & 0x7F);
    }
    *out++ = kSysexEnd;
    return out;
}

uint8_t* appendKeyTuning(uint8_t* out, int key, const KeyOffsets& keys) {
    constexpr std::array<uint8_t, 3> kNoChange = {0x7F, 0x7F, 0x7F};
    const std::array<uint8_t, 3> tuning = keys[key] ? keyTuningBytesExact(key, *keys[key]) : kNoChange;
    return std::copy(tuning.begin(), tuning.end(), out);
}

KeyOffsets keysOfPitchClasses(const Hundredths& data) {
    KeyOffsets keys;
    for (int key = 0; key < kKeyCount; ++key) keys[key] = data[key % 12];
    return keys;
}

// A message holds at most 127 keys; two of 64 carry all 128.
uint8_t* appendSingleNoteMessages(uint8_t* out, uint8_t program, const KeyOffsets& data) {
    for (int first = 0; first < kKeyCount; first += kSingleNoteKeysPerMessage) {
        *out++ = kSysexStart;
        *out++ = 0x7F;  // universal real-time
        *out++ = 0x7F;  // all call
        *out++ = 0x08;  // MIDI Tuning Standard
        *out++ = 0x02;  // single note tuning change
        *out++ = program;
        *out++ = static_cast<uint8_t>(kSingleNoteKeysPerMessage);
        for (int key = first; key < first + static_cast<int>(kSingleNoteKeysPerMessage); ++key) {
            *out++ = static_cast<uint8_t>(key);
            out = appendKeyTuning(out, key, data);
        }
        *out++ = kSysexEnd;
    }
    return out;
}

uint8_t* appendBulkDump(uint8_t* out, uint8_t program, std::string_view name,
                        const KeyOffsets& data) {
    uint8_t* const message = out;
    *out++ = kSysexStart;
    *out++ = 0x7E;  // universal non-real-time
    *out++ = 0x7F;  // all call
    *out++ = 0x08;  // MIDI Tuning Standard
    *out++ = 0x01;  // bulk tuning dump
    *out++ = program;
    for (char c : bulkDumpName(name)) *out++ = static_cast<uint8_t>(c);
    for (int key = 0; key < kKeyCount; ++key) out = appendKeyTuning(out, key, data);
    const uint8_t checksum = mtsChecksum(message + 1, static_cast<std::size_t>(out - message - 1));
    *out++ = checksum;
    *out++ = kSysexEnd;
    return out;
}

uint8_t* appendProgramSelect(uint8_t* out, int channel, uint8_t program) {
    const uint8_t status = static_cast<uint8_t>(kControlChange | channel);
    const uint8_t controllers[8][2] = {
        {kControllerRpnMsb, 0}, {kControllerRpnLsb, kRpnTuningProgram}, {kControllerDataEntry, program},
        {kControllerRpnMsb, 0}, {kControllerRpnLsb, kRpnTuningBank}, {kControllerDataEntry, 0},  // bank 0
        {kControllerRpnMsb, kNullParameter}, {kControllerRpnLsb, kNullParameter},  // no parameter selected
    };
    for (const auto& controller : controllers) {
        *out++ = status;
        *out++ = controller[0];
        *out++ = controller[1];
    }
    return out;
}

}  // namespace

bool isKeyBasedForm(MtsForm form) {
    return form == MtsForm::SingleNote || form == MtsForm::BulkDump;
}

ExactOffsets exactOffsets(const ScaleOffsets& whole) {
    ExactOffsets exact;
    for (std::size_t k = 0; k < whole.size(); ++k)
        exact.hundredths[k] = (int32_t{offsetToDataByte(whole[k])} - 64) * 100;
    return exact;
}

OffsetRange offsetRange(TuningFormat format, MtsForm form) {
    if (format == TuningFormat::GM2 && form == MtsForm::ScaleOctave2Byte) return {-10000, 9999, true};
    if (format == TuningFormat::GM2 && isKeyBasedForm(form)) return {-10000, 10000, true};
    return {-6400, 6300, false};
}

int32_t wholeCents(int32_t hundredths) { return roundedDivision(hundredths, 100); }

uint16_t mts14BitValueExact(int32_t hundredths) {
    // 8192 steps per 100 cents; a tie cannot occur in hundredths.
    const int64_t value = 8192 + roundedDivision64(int64_t{hundredths} * 8192, 10000);
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 16383));
}

std::array<uint8_t, 3> keyTuningBytesExact(int key, int32_t hundredths) {
    // Rounded up, at most 1/16384 semitone high: a player that truncates a
    // pitch to whole cents (FluidSynth does) would lose a cent to a value a
    // hair below it. A fraction that rounds up to a whole semitone is that
    // semitone, as the division carries it.
    // A target rounded up to 7F 7F 7F, which means "no change", is held a
    // step below it with every target above.
    const int64_t held = std::clamp<int64_t>(keyTarget(key, hundredths), 0, int64_t{kHighestKeySteps});
    const int32_t fraction = static_cast<int32_t>(held % kStepsPerSemitone);
    return {static_cast<uint8_t>(held / kStepsPerSemitone), static_cast<uint8_t>(fraction >> 7),
            static_cast<uint8_t>(fraction & 0x7F)};
}

bool keyTargetHeld(int key, int32_t hundredths) {
    const int64_t target = keyTarget(key, hundredths);
    return target < 0 || target > int64_t{kHighestKeySteps};
}

int32_t hundredthsOf2ByteValue(uint16_t value) {
    return shortestHundredths((int32_t{value} - 8192) * 10000.0 / 8192.0,
                              [value](int32_t h) {
                                  // Within the form's range: 16383 is +99.99, not a held +100.
                                  return h >= -10000 && h <= 9999 && mts14BitValueExact(h) == value;
                              });
}

int32_t hundredthsOfKeySteps(int32_t steps) {
    return shortestHundredths(steps * 10000.0 / kStepsPerSemitone, [steps](int32_t h) {
        return divisionRoundedUp64(int64_t{h} * kStepsPerSemitone, 10000) == steps;
    });
}

std::array<char, 16> bulkDumpName(std::string_view name) {
    const bool printable = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return c >= 0x20 && c <= 0x7E;
    });
    const std::string_view chosen = printable ? name : std::string_view("Velmarin");
    std::array<char, 16> result;
    result.fill(' ');
    std::copy_n(chosen.begin(), std::min(chosen.size(), result.size()), result.begin());
    return result;
}

bool buildTuningMessages(TuningFormat format, const MtsOptions& mts, const ScaleOffsets& offsets,
                         uint32_t selection, ScaleDataBytes& scaleDataBytes, uint8_t* sysex,
                         uint32_t& length, ChannelMessageList& channelMessages) {
    return buildTuningMessagesExact(format, mts, exactOffsets(offsets), selection, scaleDataBytes, sysex, length,
                               channelMessages);
}

bool buildTuningMessagesExact(TuningFormat format, const MtsOptions& mts, const ExactOffsets& exact,
                         uint32_t selection, ScaleDataBytes& scaleDataBytes, uint8_t* sysex,
                         uint32_t& length, ChannelMessageList& channelMessages) {
    ScaleOffsets whole;
    for (std::size_t k = 0; k < whole.size(); ++k) whole[k] = wholeCents(exact.hundredths[k]);
    selection &= 0xFFFF;
    uint8_t* channelOut = channelMessages.bytes;
    const bool keyBased = format == TuningFormat::GM2 && isKeyBasedForm(mts.form);
    if (format != TuningFormat::GM2 || mts.form == MtsForm::ScaleOctave1Byte) {
        if (!buildSysexList(format, whole, selection, scaleDataBytes, sysex, length)) return false;
    } else {
        for (std::size_t k = 0; k < whole.size(); ++k) scaleDataBytes[k] = offsetToDataByte(whole[k]);
        if (mts.form != MtsForm::ScaleOctave2Byte && !keyBased) return false;

        const uint8_t program = std::min(mts.program, kMaxTuningProgram);
        // The keys carry a coarse tuning themselves.
        Hundredths keys = exact.hundredths;
        for (int32_t& value : keys) value += exact.coarseSemitones * 10000;
        uint8_t* out = sysex;
        if (selection != 0) {
            if (mts.form == MtsForm::ScaleOctave2Byte)
                out = appendMts2ByteMessage(out, selection, exact.hundredths);
            else if (mts.form == MtsForm::SingleNote)
                out = appendSingleNoteMessages(out, program, keysOfPitchClasses(keys));
            else
                out = appendBulkDump(out, program, mts.dumpName, keysOfPitchClasses(keys));
            if (keyBased)
                for (int channel = 0; channel < 16; ++channel)
                    if (selection & (1u << channel))
                        channelOut = appendProgramSelect(channelOut, channel, program);
        }
        length = static_cast<uint32_t>(out - sysex);
    }
    // After the tuning, so that a receiver that resets the channel's tuning
    // with a scale message still ends with the shift.
    if (exact.coarseSemitones != 0 && !keyBased)
        for (int channel = 0; channel < 16; ++channel)
            if (selection & (1u << channel))
                channelOut = appendCoarseTuning(channelOut, channel, exact.coarseSemitones);
    channelMessages.length = static_cast<uint32_t>(channelOut - channelMessages.bytes);
    return true;
}

std::optional<TuningListing> buildKeyboardListing(const MtsOptions& mts, const KeyOffsets& keys,
                                                  uint32_t selection) {
    if (!isKeyBasedForm(mts.form)) return std::nullopt;
    TuningListing listing;
    selection &= 0xFFFF;
    if (selection == 0) return listing;
    const uint8_t program = std::min(mts.program, kMaxTuningProgram);
    uint8_t* const sysex = listing.bytes.data();
    uint8_t* out = mts.form == MtsForm::SingleNote ? appendSingleNoteMessages(sysex, program, keys)
                                                   : appendBulkDump(sysex, program, mts.dumpName, keys);
    listing.sysexLength = static_cast<uint32_t>(out - sysex);
    for (int channel = 0; channel < 16; ++channel)
        if (selection & (1u << channel)) out = appendProgramSelect(out, channel, program);
    listing.channelLength = static_cast<uint32_t>(out - sysex) - listing.sysexLength;
    return listing;
}

std::optional<TuningListing> buildTuningListingExact(TuningFormat format, const MtsOptions& mts,
                                                const ExactOffsets& exact, uint32_t selection,
                                                ScaleDataBytes& scaleDataBytes) {
    TuningListing listing;
    ChannelMessageList channel;
    if (!buildTuningMessagesExact(format, mts, exact, selection, scaleDataBytes, listing.bytes.data(),
                             listing.sysexLength, channel))
        return std::nullopt;
    std::memcpy(listing.bytes.data() + listing.sysexLength, channel.bytes, channel.length);
    listing.channelLength = channel.length;
    return listing;
}
