#include "song/SongMessages.h"

#include <initializer_list>

namespace {

constexpr int kAnyDataByte = -1;

// True when `body` is exactly `pattern`, kAnyDataByte standing for any byte
// below 80 (a device ID, a mode, a checksum).
bool matches(const uint8_t* body, std::size_t size, std::initializer_list<int> pattern) {
    if (size != pattern.size()) return false;
    for (int expected : pattern) {
        const uint8_t byte = *body++;
        if (expected == kAnyDataByte ? byte >= 0x80 : byte != expected) return false;
    }
    return true;
}

bool endsWithF7(const uint8_t* body, std::size_t size) { return size >= 2 && body[size - 1] == 0xF7; }

bool isXgDevice(uint8_t byte) { return (byte & 0xF0) == 0x10; }

}  // namespace

std::optional<ResetKind> recogniseReset(const uint8_t* body, std::size_t size) {
    constexpr int any = kAnyDataByte;
    if (matches(body, size, {0x41, any, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}))
        return ResetKind::GsReset;
    if (matches(body, size, {0x41, any, 0x42, 0x12, 0x00, 0x00, 0x7F, any, any, 0xF7}))
        return ResetKind::GsSystemMode;
    if (size == 8 && isXgDevice(body[1])) {
        if (matches(body, size, {0x43, any, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7})) return ResetKind::XgSystemOn;
        if (matches(body, size, {0x43, any, 0x4C, 0x00, 0x00, 0x7F, 0x00, 0xF7}))
            return ResetKind::XgAllParameterReset;
    }
    if (matches(body, size, {0x7E, any, 0x09, 0x01, 0xF7})) return ResetKind::GmSystemOn;
    if (matches(body, size, {0x7E, any, 0x09, 0x02, 0xF7})) return ResetKind::GmSystemOff;
    if (matches(body, size, {0x7E, any, 0x09, 0x03, 0xF7})) return ResetKind::Gm2SystemOn;
    return std::nullopt;
}

std::optional<OldTuningKind> recogniseOldTuning(const uint8_t* body, std::size_t size) {
    if (!endsWithF7(body, size)) return std::nullopt;
    if (size >= 10 && body[0] == 0x41 && body[2] == 0x42 && body[3] == 0x12 && body[4] == 0x40 &&
        (body[5] & 0xF0) == 0x10 && body[6] >= 0x40 && body[6] <= 0x4B)
        return OldTuningKind::Gs;
    if (size == 8 && body[0] == 0x43 && isXgDevice(body[1]) && body[2] == 0x4C && body[3] == 0x08 &&
        body[5] >= 0x41 && body[5] <= 0x4C)
        return OldTuningKind::Xg;
    if (size >= 5 && (body[0] == 0x7E || body[0] == 0x7F) && body[2] == 0x08) {
        switch (body[3]) {
        case 0x08: return OldTuningKind::MtsScaleOctave1;
        case 0x09: return OldTuningKind::MtsScaleOctave2;
        case 0x02:
        case 0x07: return OldTuningKind::MtsSingleNote;
        case 0x01:
        case 0x04:
        case 0x05:
        case 0x06: return OldTuningKind::MtsBulkDump;
        default: break;
        }
    }
    return std::nullopt;
}

const char* resetName(ResetKind kind) {
    switch (kind) {
    case ResetKind::GsReset: return "GS Reset";
    case ResetKind::GsSystemMode: return "GS system mode set";
    case ResetKind::XgSystemOn: return "XG System On";
    case ResetKind::XgAllParameterReset: return "XG All Parameter Reset";
    case ResetKind::GmSystemOn: return "GM System On";
    case ResetKind::GmSystemOff: return "GM System Off";
    case ResetKind::Gm2SystemOn: return "GM2 System On";
    }
    return "reset";
}

std::vector<MessageSpan> splitMessages(const uint8_t* bytes, std::size_t size) {
    std::vector<MessageSpan> spans;
    std::size_t at = 0;
    while (at < size) {
        const uint8_t status = bytes[at];
        std::size_t end = at + 1;
        bool complete = false;
        if (status == 0xF0) {
            while (end < size && bytes[end] < 0x80) ++end;
            complete = end < size && bytes[end] == 0xF7;
            if (complete) ++end;
        } else if (status >= 0x80 && status <= 0xEF) {
            const std::size_t last = at + channelDataBytes(status);
            while (end <= last && end < size && bytes[end] < 0x80) ++end;
            complete = end == last + 1;
        }
        if (complete) spans.push_back({at, end - at});
        at = end;
    }
    return spans;
}
