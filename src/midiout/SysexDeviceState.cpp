#include "midiout/SysexDeviceState.h"

#include <cstring>

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;

std::string_view bytesView(const uint8_t* bytes, std::size_t count) {
    return {reinterpret_cast<const char*>(bytes), count};
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

std::size_t sysexAddressLength(const uint8_t* message, std::size_t size) {
    std::size_t address = size;
    if (size >= 3) {
        switch (message[1]) {
        case 0x41: address = 8; break;  // Roland: F0 41 dev 42 12 aa aa aa
        case 0x43: address = 7; break;  // Yamaha: F0 43 1n 4C aa aa aa
        case 0x7E: address = 8; break;  // universal: F0 7E dev 08 08 ch ch ch
        default: break;
        }
    }
    // Shorter than its address: nothing but the whole message names it.
    return address < size ? address : size;
}

std::vector<SysexSpan> SysexDeviceState::changedMessages(const uint8_t* list,
                                                         std::size_t length) const {
    std::vector<SysexSpan> changed = splitSysexList(list, length);
    std::size_t kept = 0;
    for (const SysexSpan& span : changed) {
        const uint8_t* message = list + span.offset;
        const auto held =
            held_.find(std::string(bytesView(message, sysexAddressLength(message, span.size))));
        if (held == held_.end() || held->second != bytesView(message, span.size))
            changed[kept++] = span;
    }
    changed.resize(kept);
    return changed;
}

void SysexDeviceState::recordSent(const uint8_t* message, std::size_t size) {
    held_[std::string(bytesView(message, sysexAddressLength(message, size)))].assign(
        reinterpret_cast<const char*>(message), size);
}
