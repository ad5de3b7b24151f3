#include "output/MidiFile.h"

#include <cstring>

#include "output/ByteCursor.h"

namespace {

bool isChannelStatus(uint8_t status) { return status >= 0x80 && status <= 0xEF; }

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

bool encodeVlq(uint32_t value, ByteBuffer& out) {
    if (!out.resize(vlqLength(value))) return false;
    ByteCursor(out.data()).vlq(value);
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
    ByteCursor cursor(out.data());
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
