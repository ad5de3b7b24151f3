#include "output/MidiFile.h"

#include <cstring>

#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"

namespace {

// The events of a track as a track chunk's body, through `sink`.
template <class Sink>
void writeTrackEvents(const MidiTrack& track, bool runningStatus, Sink& sink) {
    SmfWriter<Sink> writer(sink);
    uint32_t previousTime = 0;
    for (const MidiEvent& event : track) {
        if (event.bytes.size() == 0) continue;  // nothing to write
        writer.delta(event.time - previousTime);
        writer.event(event.bytes.data(), event.bytes.size(), runningStatus);
        previousTime = event.time;
    }
}

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
    encodeVariableLength(value, out.data());
    return true;
}

void setDivision(MidiFile& file, uint16_t word) {
    if (!isSmpteDivision(word) || smpteFramesPerSecond(word) != 0) file.division = word;
}

uint32_t trackChunkSize(const MidiTrack& track, bool runningStatus) {
    ByteCounter counter;
    writeTrackEvents(track, runningStatus, counter);
    return kChunkHeaderSize + static_cast<uint32_t>(counter.size());
}

uint32_t serializeMidiFile(const MidiFile& file, bool runningStatus, ByteBuffer& out) {
    uint32_t total = kHeaderChunkSize;
    std::vector<uint32_t> chunkSizes;
    chunkSizes.reserve(file.tracks.size());
    for (const MidiTrack& track : file.tracks) {
        chunkSizes.push_back(trackChunkSize(track, runningStatus));
        total += chunkSizes.back();
    }

    out.resize(0);
    if (!out.resize(total)) return 0;
    ByteCursor cursor(out.data());
    SmfWriter<ByteCursor> writer(cursor);
    writer.header(file.format, static_cast<uint16_t>(file.tracks.size()), file.division);
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        writer.trackHeader(chunkSizes[t] - kChunkHeaderSize);
        writeTrackEvents(file.tracks[t], runningStatus, cursor);
    }
    return total;
}
