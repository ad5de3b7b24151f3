#include "sysex/SysexBuilder.h"

#include <algorithm>
#include <cstring>

#include "midi/StatusBytes.h"

namespace {

constexpr uint32_t kSixteenBits = 0xFFFF;

uint8_t* appendGsMessage(uint8_t* out, int part, const ScaleDataBytes& data) {
    uint8_t* const message = out;
    *out++ = kSysexStart;
    *out++ = 0x41;  // Roland
    *out++ = 0x10;  // device ID 17
    *out++ = 0x42;  // GS
    *out++ = 0x12;  // data set 1
    *out++ = 0x40;
    *out++ = gsPartBlock(part);
    *out++ = 0x40;  // scale tuning C
    std::memcpy(out, data.data(), data.size());
    out += data.size();
    *out++ = rolandChecksum(message + 5, 15);
    *out++ = kSysexEnd;
    return out;
}

uint8_t* appendXgMessages(uint8_t* out, int partIndex, const ScaleDataBytes& data) {
    for (int k = 0; k < 12; ++k) {
        *out++ = kSysexStart;
        *out++ = 0x43;  // Yamaha
        *out++ = 0x10;  // parameter change, device 0
        *out++ = 0x4C;  // XG
        *out++ = 0x08;  // multi part
        *out++ = static_cast<uint8_t>(partIndex);
        *out++ = static_cast<uint8_t>(0x41 + k);
        *out++ = data[k];
        *out++ = kSysexEnd;
    }
    return out;
}

uint8_t* appendGm2Message(uint8_t* out, uint32_t selection, const ScaleDataBytes& data) {
    const std::array<uint8_t, 3> channels = mtsChannelMapBytes(static_cast<uint16_t>(selection));
    *out++ = kSysexStart;
    *out++ = 0x7E;  // universal non-real-time
    *out++ = 0x7F;  // all call
    *out++ = 0x08;  // MIDI Tuning Standard
    *out++ = 0x08;  // scale/octave tuning, 1-byte form
    out = std::copy(channels.begin(), channels.end(), out);
    std::memcpy(out, data.data(), data.size());
    out += data.size();
    *out++ = kSysexEnd;
    return out;
}

}  // namespace

uint8_t offsetToDataByte(std::optional<int32_t> offset) {
    if (!offset) return 0x40;
    const int64_t value = int64_t{*offset} + 64;
    if (value < 0) return 0x00;
    if (value > 127) return 0x7F;
    return static_cast<uint8_t>(value);
}

bool buildSysexList(TuningFormat format, const ScaleOffsets& offsets,
                    uint32_t selection, ScaleDataBytes& scaleDataBytes,
                    uint8_t* buffer, uint32_t& length) {
    for (std::size_t k = 0; k < offsets.size(); ++k)
        scaleDataBytes[k] = offsetToDataByte(offsets[k]);

    selection &= kSixteenBits;
    uint8_t* out = buffer;
    switch (format) {
    case TuningFormat::GS:
        for (int i = 0; i < 16; ++i)
            if (selection & (1u << i)) out = appendGsMessage(out, i + 1, scaleDataBytes);
        break;
    case TuningFormat::XG:
        for (int i = 0; i < 16; ++i)
            if (selection & (1u << i)) out = appendXgMessages(out, i, scaleDataBytes);
        break;
    case TuningFormat::GM2:
        if (selection != 0) out = appendGm2Message(out, selection, scaleDataBytes);
        break;
    default:
        return false;
    }
    length = static_cast<uint32_t>(out - buffer);
    return true;
}
