#include "output/MidiFile.h"

#include <cstring>

namespace {

bool isChannelStatus(uint8_t status) { return status >= 0x80 && status <= 0xEF; }

// Sequential writer into storage that was sized beforehand.
class Cursor {
public:
    explicit Cursor(uint8_t* at) : at_(at) {}
    void bytes(const void* data, uint32_t count) {
        std::memcpy(at_, data, count);
        at_ += count;
    }
    void byte(uint8_t value) { *at_++ = value; }
    void be16(uint16_t value) {
        byte(static_cast<uint8_t>(value >> 8));
        byte(static_cast<uint8_t>(value));
    }
    void be32(uint32_t value) {
        be16(static_cast<uint16_t>(value >> 16));
        be16(static_cast<uint16_t>(value));
    }
    void vlq(uint32_t value) {
        for (uint32_t shift = 7 * (vlqLength(value) - 1); shift > 0; shift -= 7)
            byte(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
        byte(static_cast<uint8_t>(value & 0x7F));
    }

private:
    uint8_t* at_;
};

}  // namespace

bool addEvent(MidiTrack& track, uint32_t delta, uint8_t status, const uint8_t* data,
              uint32_t count) {
    MidiEvent event;
    event.time = (track.empty() ? 0 : track.back().time) + delta;
    if (!event.bytes.resize(count + 1)) return false;
    event.bytes.data()[0] = status;
    if (count != 0) std::memcpy(event.bytes.data() + 1, data, count);
    track.push_back(std::move(event));
    return true;
}

bool addEvent(MidiTrack& track, uint32_t delta, uint8_t status, const ByteBuffer& data) {
    return addEvent(track, delta, status, data.data(), data.size());
}

uint32_t vlqLength(uint32_t value) {
    uint32_t length = 1;
    while (length < 4 && (value >> (7 * length)) != 0) ++length;
    return length;
}

bool encodeVlq(uint32_t value, ByteBuffer& out) {
    if (!out.resize(vlqLength(value))) return false;
    Cursor(out.data()).vlq(value);
    return true;
}

void setDivision(MidiFile& file, uint16_t word) {
    const int8_t smpteRate = static_cast<int8_t>(word >> 8);
    const bool ticksPerQuarter = (word & 0x8000) == 0;
    const bool smpte = smpteRate == -24 || smpteRate == -25 || smpteRate == -29 ||
                       smpteRate == -30;
    if (ticksPerQuarter || smpte) file.division = word;
}

uint32_t trackChunkSize(const MidiTrack& track, bool runningStatus) {
    uint32_t size = 8;
    uint32_t previousTime = 0;
    int previousStatus = -1;
    for (const MidiEvent& event : track) {
        if (event.bytes.size() == 0) continue;  // nothing to write, as below
        const uint8_t status = event.bytes[0];
        size += vlqLength(event.time - previousTime) + event.bytes.size();
        if (runningStatus && status == previousStatus && isChannelStatus(status)) --size;
        previousTime = event.time;
        previousStatus = status;
    }
    return size;
}

uint32_t serializeMidiFile(const MidiFile& file, bool runningStatus, ByteBuffer& out) {
    uint32_t total = 14;
    std::vector<uint32_t> chunkSizes;
    chunkSizes.reserve(file.tracks.size());
    for (const MidiTrack& track : file.tracks) {
        chunkSizes.push_back(trackChunkSize(track, runningStatus));
        total += chunkSizes.back();
    }

    out.resize(0);
    if (!out.resize(total)) return 0;
    Cursor cursor(out.data());
    cursor.bytes("MThd", 4);
    cursor.be32(6);
    cursor.be16(file.format);
    cursor.be16(static_cast<uint16_t>(file.tracks.size()));
    cursor.be16(file.division);

    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        cursor.bytes("MTrk", 4);
        cursor.be32(chunkSizes[t] - 8);
        uint32_t previousTime = 0;
        int previousStatus = -1;
        for (const MidiEvent& event : file.tracks[t]) {
            if (event.bytes.size() == 0) continue;
            const uint8_t status = event.bytes[0];
            cursor.vlq(event.time - previousTime);
            const bool omitStatus =
                runningStatus && status == previousStatus && isChannelStatus(status);
            const uint32_t skip = omitStatus ? 1 : 0;
            cursor.bytes(event.bytes.data() + skip, event.bytes.size() - skip);
            previousTime = event.time;
            previousStatus = status;
        }
    }
    return total;
}
