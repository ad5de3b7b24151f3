#include "tuning/SmfReader.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t bigEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

struct TimedMessage {
    uint64_t time;
    std::vector<uint8_t> bytes;
};

class TrackReader {
public:
    TrackReader(const uint8_t* begin, const uint8_t* end, std::size_t fileOffset)
        : position_(begin), end_(end), fileOffset_(fileOffset), begin_(begin) {}

    // Appends the track's SysEx messages and control changes; false with
    // `error` set when the track does not parse.
    bool read(std::vector<TimedMessage>& out, std::string& error, std::size_t& errorOffset) {
        uint64_t time = 0;
        uint8_t runningStatus = 0;
        while (position_ < end_) {
            eventStart_ = offset();
            uint32_t delta = 0;
            if (!readVlq(delta))
                return fail("a delta time is cut short or too long", error, errorOffset);
            time += delta;
            if (position_ >= end_) return fail("an event is cut short", error, errorOffset);
            uint8_t status = *position_;
            if (status & 0x80) {
                ++position_;
            } else if (runningStatus != 0) {
                status = runningStatus;
            } else {
                return fail("a data byte where a status byte is due", error, errorOffset);
            }

            if (status == 0xF0 || status == 0xF7) {
                uint32_t length = 0;
                if (!readVlq(length) || !has(length))
                    return fail("a SysEx event is cut short", error, errorOffset);
                if (status == 0xF0) {
                    TimedMessage message{time, {}};
                    message.bytes.reserve(length + 1);
                    message.bytes.push_back(0xF0);
                    message.bytes.insert(message.bytes.end(), position_, position_ + length);
                    out.push_back(std::move(message));
                }
                position_ += length;
            } else if (status == 0xFF) {
                uint32_t length = 0;
                if (!has(1)) return fail("a meta event is cut short", error, errorOffset);
                ++position_;
                if (!readVlq(length) || !has(length))
                    return fail("a meta event is cut short", error, errorOffset);
                position_ += length;
            } else if (status >= 0x80 && status <= 0xEF) {
                runningStatus = status;
                const uint32_t dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0
                                               ? 1 : 2;
                if (!has(dataBytes))
                    return fail("a channel message is cut short", error, errorOffset);
                if ((status & 0xF0) == 0xB0)
                    out.push_back({time, {status, position_[0], position_[1]}});
                position_ += dataBytes;
            } else {
                return fail("a status byte that has no place in a MIDI file", error,
                            errorOffset);
            }
        }
        return true;
    }

private:
    std::size_t offset() const {
        return fileOffset_ + static_cast<std::size_t>(position_ - begin_);
    }
    bool has(uint32_t count) const { return static_cast<std::size_t>(end_ - position_) >= count; }

    bool readVlq(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (position_ >= end_) return false;
            const uint8_t byte = *position_++;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80)) return true;
        }
        return false;
    }

    bool fail(const char* what, std::string& error, std::size_t& errorOffset) {
        error = what;
        errorOffset = eventStart_;
        return false;
    }

    const uint8_t* position_;
    const uint8_t* end_;
    std::size_t fileOffset_;
    const uint8_t* begin_;
    std::size_t eventStart_ = 0;
};

}  // namespace

SmfSysexResult readSmfSysex(const uint8_t* bytes, std::size_t size) {
    SmfSysexResult result;
    if (size < 14 || std::memcmp(bytes, "MThd", 4) != 0 || bigEndian32(bytes + 4) < 6) {
        result.error = SmfError::NotMidiFile;
        result.message = "The file does not start with a MIDI file header (MThd).";
        return result;
    }

    std::vector<TimedMessage> timed;
    std::size_t position = 8 + static_cast<std::size_t>(bigEndian32(bytes + 4));
    while (position <= size && size - position >= 8) {
        const uint8_t* chunk = bytes + position;
        const std::size_t length = bigEndian32(chunk + 4);
        const std::size_t bodyOffset = position + 8;
        const std::size_t available = size - bodyOffset;
        const std::size_t bodyLength = std::min(length, available);
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            TrackReader track(bytes + bodyOffset, bytes + bodyOffset + bodyLength, bodyOffset);
            std::string error;
            std::size_t errorOffset = 0;
            if (!track.read(timed, error, errorOffset)) {
                result.error = SmfError::Malformed;
                result.byteOffset = errorOffset;
                result.message = "The MIDI file is damaged at byte " +
                                 std::to_string(errorOffset) + ": " + error + ".";
                return result;
            }
        }
        if (length > available) break;
        position = bodyOffset + length;
    }

    std::stable_sort(timed.begin(), timed.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.time < b.time; });
    result.messages.reserve(timed.size());
    for (TimedMessage& message : timed) result.messages.push_back(std::move(message.bytes));
    return result;
}
