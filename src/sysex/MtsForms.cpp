#include "sysex/MtsForms.h"

#include <algorithm>

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

int32_t divisionRoundedUp(int32_t numerator, int32_t denominator) {
    return numerator >= 0 ? (numerator + denominator - 1) / denominator : -(-numerator / denominator);
}

int32_t centsOf(uint8_t dataByte) { return int32_t{dataByte} - 64; }

uint8_t* appendMts2ByteMessage(uint8_t* out, uint32_t selection, const ScaleDataBytes& data) {
    *out++ = kSysexStart;
    *out++ = 0x7E;  // universal non-real-time
    *out++ = 0x7F;  // all call
    *out++ = 0x08;  // MIDI Tuning Standard
    *out++ = 0x09;  // scale/octave tuning, 2-byte form
    const std::array<uint8_t, 3> channels = mtsChannelMapBytes(static_cast<uint16_t>(selection));
    out = std::copy(channels.begin(), channels.end(), out);
    for (uint8_t byte : data) {
        const uint16_t value = mts14BitValue(centsOf(byte));
        *out++ = static_cast<uint8_t>(value >> 7);
        *out++ = static_cast<uint8_t>(value & 0x7F);
    }
    *out++ = kSysexEnd;
    return out;
}

uint8_t* appendKeyTuning(uint8_t* out, int key, const ScaleDataBytes& data) {
    const std::array<uint8_t, 3> tuning = keyTuningBytes(key, centsOf(data[key % 12]));
    return std::copy(tuning.begin(), tuning.end(), out);
}

// A message holds at most 127 keys; two of 64 carry all 128.
uint8_t* appendSingleNoteMessages(uint8_t* out, uint8_t program, const ScaleDataBytes& data) {
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
                        const ScaleDataBytes& data) {
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

uint16_t mts14BitValue(int32_t cents) {
    const int32_t clamped = std::clamp(cents, int32_t{-64}, int32_t{63});
    // 81.92 steps per cent: 8192 steps per 100 cents.
    return static_cast<uint16_t>(8192 + roundedDivision(clamped * 8192, 100));
}

std::array<uint8_t, 3> keyTuningBytes(int key, int32_t cents) {
    // Rounded up, at most 1/16384 semitone high: a player that truncates a
    // pitch to whole cents (FluidSynth does) would lose a cent to a value a
    // hair below it.
    const int32_t target = key * kStepsPerSemitone + divisionRoundedUp(cents * kStepsPerSemitone, 100);
    // Above key 127 the bytes would run into 7F 7F 7F, which means "no change".
    const int32_t held = std::clamp(target, int32_t{0}, (kKeyCount - 1) * kStepsPerSemitone);
    const int32_t fraction = held % kStepsPerSemitone;
    return {static_cast<uint8_t>(held / kStepsPerSemitone), static_cast<uint8_t>(fraction >> 7),
            static_cast<uint8_t>(fraction & 0x7F)};
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
    if (format != TuningFormat::GM2 || mts.form == MtsForm::ScaleOctave1Byte) {
        if (!buildSysexList(format, offsets, selection, scaleDataBytes, sysex, length)) return false;
        channelMessages.length = 0;
        return true;
    }
    for (std::size_t k = 0; k < offsets.size(); ++k)
        scaleDataBytes[k] = offsetToDataByte(offsets[k]);
    if (mts.form != MtsForm::ScaleOctave2Byte && !isKeyBasedForm(mts.form)) return false;

    selection &= 0xFFFF;
    const uint8_t program = std::min(mts.program, kMaxTuningProgram);
    uint8_t* out = sysex;
    uint8_t* channelOut = channelMessages.bytes;
    if (selection != 0) {
        if (mts.form == MtsForm::ScaleOctave2Byte)
            out = appendMts2ByteMessage(out, selection, scaleDataBytes);
        else if (mts.form == MtsForm::SingleNote)
            out = appendSingleNoteMessages(out, program, scaleDataBytes);
        else
            out = appendBulkDump(out, program, mts.dumpName, scaleDataBytes);
        if (isKeyBasedForm(mts.form))
            for (int channel = 0; channel < 16; ++channel)
                if (selection & (1u << channel))
                    channelOut = appendProgramSelect(channelOut, channel, program);
    }
    length = static_cast<uint32_t>(out - sysex);
    channelMessages.length = static_cast<uint32_t>(channelOut - channelMessages.bytes);
    return true;
}

std::optional<TuningListing> buildTuningListing(TuningFormat format, const MtsOptions& mts,
                                                const ScaleOffsets& offsets, uint32_t selection,
                                                ScaleDataBytes& scaleDataBytes) {
    TuningListing listing;
    ChannelMessageList channel;
    if (!buildTuningMessages(format, mts, offsets, selection, scaleDataBytes, listing.bytes.data(),
                             listing.sysexLength, channel))
        return std::nullopt;
    std::memcpy(listing.bytes.data() + listing.sysexLength, channel.bytes, channel.length);
    listing.channelLength = channel.length;
    return listing;
}
