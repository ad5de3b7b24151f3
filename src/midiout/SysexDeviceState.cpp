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
constexpr std::size_t kMtsScaleOctave2ByteSize = 33;
constexpr std::size_t kMtsBulkDumpSize = 408;

// F0 7E dd 08 08 ff gg hh, twelve data bytes, F7; or 08 09 and twelve pairs.
bool isMtsScaleOctave(const uint8_t* m, std::size_t size) {
    return size >= 8 && m[1] == 0x7E && m[3] == 0x08 &&
           ((m[4] == 0x08 && size == kMtsScaleOctave1ByteSize) ||
            (m[4] == 0x09 && size == kMtsScaleOctave2ByteSize));
}

// F0 7F dd 08 02 tt ll, ll times (key and three bytes), F7.
bool isMtsSingleNote(const uint8_t* m, std::size_t size) {
    return size >= 8 && m[1] == 0x7F && m[3] == 0x08 && m[4] == 0x02 && size == 8 + 4 * std::size_t{m[6]};
}

// F0 7E dd 08 01 tt, sixteen name bytes, 128 keys of three bytes, checksum, F7.
bool isMtsBulkDump(const uint8_t* m, std::size_t size) {
    return size == kMtsBulkDumpSize && m[1] == 0x7E && m[3] == 0x08 && m[4] == 0x01;
}

// The scale/octave tuning of a channel (0-15), whatever form set it.
std::string mtsChannelScaleSlot(int channel) {
    return "mts scale " + std::string(1, static_cast<char>(channel));
}

void addMtsScaleOctave(const uint8_t* m, std::size_t size, ReceiverWrites& result) {
    // The map runs from channels 15-16 in the first byte to channels 1-7 in
    // the last, seven channels per byte.
    const uint32_t map = (uint32_t{m[5] & 0x03u} << 14) | (uint32_t{m[6] & 0x7Fu} << 7) | (m[7] & 0x7Fu);
    std::string value(1, static_cast<char>(m[2]));
    value += bytesText(m + 4, 1);  // the form: 1-byte or 2-byte
    value += bytesText(m + 8, size - 9);
    result.dialect = TuningDialect::Mts;
    for (int channel = 0; channel < 16; ++channel)
        if (map & (1u << channel)) result.writes.push_back({mtsChannelScaleSlot(channel), value});
}

// The keys of tuning program tt, whatever message set them. The value holds
// the form, as the scale/octave value does: a receiver that ignores one form
// (FluidSynth takes no bulk dump) gets the keys again in the other.
void addMtsKeys(const uint8_t* m, uint8_t program, const uint8_t* keys, std::size_t count, std::size_t stride,
                bool keyNumbered, ReceiverWrites& result) {
    result.dialect = TuningDialect::MtsKeys;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* entry = keys + i * stride;
        const uint8_t key = keyNumbered ? entry[0] : static_cast<uint8_t>(i);
        const uint8_t* tuning = keyNumbered ? entry + 1 : entry;
        if (tuning[0] == 0x7F && tuning[1] == 0x7F && tuning[2] == 0x7F) continue;
        const char slot[] = {'m', 't', 's', ' ', 'k', 'e', 'y', ' ', static_cast<char>(program),
                             static_cast<char>(key)};
        result.writes.push_back(
            {std::string(slot, sizeof slot), bytesText(m + 2, 1) + bytesText(m + 4, 1) + bytesText(tuning, 3)});
    }
}

// Bn 64 03 among the run: registered parameter 3, the tuning program select.
bool selectsTuningProgram(const uint8_t* run, std::size_t size) {
    for (std::size_t i = 0; i + 2 < size; i += 3)
        if ((run[i] & 0xF0) == 0xB0 && run[i + 1] == 100 && run[i + 2] == 3) return true;
    return false;
}

// Data bytes after a channel status: one for program change and channel
// pressure, two for the others.
std::size_t channelDataBytes(uint8_t status) { return (status & 0xE0) == 0xC0 ? 1 : 2; }

// The end of the run of whole channel messages on `status`'s channel that
// starts at `at`; `at` itself when there is none.
std::size_t channelRunEnd(const uint8_t* list, std::size_t length, std::size_t at) {
    const uint8_t channel = list[at] & 0x0F;
    std::size_t stop = at;
    while (stop < length && isChannelRun(list + stop) && (list[stop] & 0x0F) == channel) {
        const std::size_t size = 1 + channelDataBytes(list[stop]);
        if (length - stop < size) break;
        bool data = true;
        for (std::size_t i = 1; i < size; ++i) data = data && list[stop + i] < 0x80;
        if (!data) break;
        stop += size;
    }
    return stop;
}

}  // namespace

std::vector<SysexSpan> splitSysexList(const uint8_t* list, std::size_t length) {
    std::vector<SysexSpan> messages;
    std::size_t at = 0;
    while (at < length) {
        if (isChannelRun(list + at)) {
            const std::size_t stop = channelRunEnd(list, length, at);
            if (stop > at)
                messages.push_back({static_cast<uint32_t>(at), static_cast<uint32_t>(stop - at)});
            at = stop > at ? stop : at + 1;
            continue;
        }
        if (list[at] != kSysexStart) {
            ++at;
            continue;
        }
        const void* end = std::memchr(list + at + 1, kSysexEnd, length - at - 1);
        if (!end) break;
        const std::size_t stop = static_cast<std::size_t>(static_cast<const uint8_t*>(end) - list) + 1;
        messages.push_back({static_cast<uint32_t>(at), static_cast<uint32_t>(stop - at)});
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
    } else if (isMtsScaleOctave(message, size)) {
        addMtsScaleOctave(message, size, result);
    } else if (isMtsSingleNote(message, size)) {
        addMtsKeys(message, message[5], message + 7, message[6], 4, true, result);
    } else if (isMtsBulkDump(message, size)) {
        addMtsKeys(message, message[5], message + 22, 128, 3, false, result);
        result.writes.push_back({"mts name " + bytesText(message + 5, 1), bytesText(message + 6, 16)});
    } else if (isChannelRun(message) && selectsTuningProgram(message, size)) {
        result.dialect = TuningDialect::MtsKeys;
        result.writes.push_back({"mts program select " + std::string(1, static_cast<char>(message[0] & 0x0F)),
                                 bytesText(message, size)});
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
    // A receiver may keep one scale for every channel (FluidSynth does): a
    // scale/octave message may have retuned the channels outside its map
    // too, so those that held other values are unknown from here on.
    if (writes.dialect == TuningDialect::Mts) {
        const std::string& value = writes.writes.front().value;
        for (auto it = held_.begin(); it != held_.end();)
            it = it->second.dialect == TuningDialect::Mts && it->second.value != value ? held_.erase(it)
                                                                                      : std::next(it);
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
