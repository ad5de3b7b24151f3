#include "midiout/SysexDeviceState.h"

#include <cstring>

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;

std::string bytesText(const uint8_t* bytes, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

// F0 41 dev 42 12 aa aa aa data.. sum F7: a GS data set.
bool isGsDataSet(const uint8_t* m, std::size_t size) {
    return size > 8 && m[1] == 0x41 && m[3] == 0x42 && m[4] == 0x12;
}

// F0 43 1n 4C aa aa aa data.. F7: an XG parameter change.
bool isXgParameterChange(const uint8_t* m, std::size_t size) {
    return size > 7 && m[1] == 0x43 && (m[2] & 0xF0) == 0x10 && m[3] == 0x4C;
}

constexpr std::size_t kMtsScaleOctave1ByteSize = 21;

// F0 7E dd 08 08 ff gg hh, twelve data bytes, F7.
bool isMtsScaleOctave1Byte(const uint8_t* m, std::size_t size) {
    return size == kMtsScaleOctave1ByteSize && m[1] == 0x7E && m[3] == 0x08 && m[4] == 0x08;
}

// The scale/octave tuning of a channel (0-15), whatever form set it.
std::string mtsChannelScaleSlot(int channel) {
    return "mts scale " + std::string(1, static_cast<char>(channel));
}

void addMtsScaleOctave1Byte(const uint8_t* m, ReceiverWrites& result) {
    // The map runs from channels 15-16 in the first byte to channels 1-7 in
    // the last, seven channels per byte.
    const uint32_t map = (uint32_t{m[5] & 0x03u} << 14) | (uint32_t{m[6] & 0x7Fu} << 7) | (m[7] & 0x7Fu);
    std::string value(1, static_cast<char>(m[2]));
    value += bytesText(m + 4, 1);  // the form: 1-byte
    value += bytesText(m + 8, 12);
    result.dialect = TuningDialect::Mts;
    for (int channel = 0; channel < 16; ++channel)
        if (map & (1u << channel)) result.writes.push_back({mtsChannelScaleSlot(channel), value});
}

}  // namespace

std::vector<SysexSpan> splitSysexList(const uint8_t* list, std::size_t length) {
    std::vector<SysexSpan> messages;
    std::size_t at = 0;
    while (at < length) {
        const void* start = std::memchr(list + at, kSysexStart, length - at);
        if (!start) break;
        const std::size_t begin = static_cast<std::size_t>(static_cast<const uint8_t*>(start) - list);
        const void* end = std::memchr(list + begin + 1, kSysexEnd, length - begin - 1);
        if (!end) break;
        const std::size_t stop = static_cast<std::size_t>(static_cast<const uint8_t*>(end) - list) + 1;
        messages.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(stop - begin)});
        at = stop;
    }
    return messages;
}

ReceiverWrites receiverWrites(const uint8_t* message, std::size_t size) {
    ReceiverWrites result;
    if (isGsDataSet(message, size)) {
        result.dialect = TuningDialect::Gs;
        result.writes.push_back({bytesText(message, 8), bytesText(message, size)});
    } else if (isXgParameterChange(message, size)) {
        result.dialect = TuningDialect::Xg;
        result.writes.push_back({bytesText(message, 7), bytesText(message, size)});
    } else if (isMtsScaleOctave1Byte(message, size)) {
        addMtsScaleOctave1Byte(message, result);
    }
    if (result.writes.empty()) {
        result.dialect = TuningDialect::None;
        result.writes.push_back({bytesText(message, size), {}});
    }
    return result;
}

bool SysexDeviceState::wouldChange(const ReceiverWrites& writes) const {
    // Slots of a dialect other than the one held are never held.
    for (const SlotWrite& write : writes.writes) {
        const auto held = held_.find(write.slot);
        if (held == held_.end() || held->second.value != write.value) return true;
    }
    return false;
}

void SysexDeviceState::record(ReceiverWrites&& writes) {
    if (writes.dialect != TuningDialect::None && writes.dialect != dialect_) {
        for (auto it = held_.begin(); it != held_.end();)
            it = it->second.dialect == TuningDialect::None ? std::next(it) : held_.erase(it);
        dialect_ = writes.dialect;
    }
    for (SlotWrite& write : writes.writes)
        held_[std::move(write.slot)] = Held{writes.dialect, std::move(write.value)};
}

std::vector<SysexSpan> SysexDeviceState::changedMessages(const uint8_t* list,
                                                         std::size_t length) const {
    std::vector<SysexSpan> changed = splitSysexList(list, length);
    // A later message of the list may set again what an earlier one changed,
    // so each is judged against the receiver as the earlier ones left it.
    SysexDeviceState receiver = *this;
    std::size_t kept = 0;
    for (const SysexSpan& span : changed) {
        ReceiverWrites writes = receiverWrites(list + span.offset, span.size);
        if (receiver.wouldChange(writes)) {
            changed[kept++] = span;
            receiver.record(std::move(writes));
        }
    }
    changed.resize(kept);
    return changed;
}

void SysexDeviceState::recordSent(const uint8_t* message, std::size_t size) {
    record(receiverWrites(message, size));
}
