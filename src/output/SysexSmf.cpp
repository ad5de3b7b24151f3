#include "output/SysexSmf.h"

#include <cstring>

#include "output/ByteCursor.h"
#include "output/MidiFile.h"

namespace {

constexpr uint8_t kEndOfTrack[] = {0xFF, 0x2F, 0x00};
// The first pass remembers where this many messages end, more than the
// largest list holds (192 XG messages), so the second need not search again.
constexpr std::size_t kRememberedEnds = 256;

uint32_t dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

}  // namespace

// The image is sized in a first pass over the list and written in a second,
// straight into one allocation: no event objects in between.
uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out) {
    MidiFile header;
    setDivision(header, static_cast<uint16_t>(division));
    const auto laterDelta = static_cast<uint32_t>(delta);

    const uint8_t* const listEnd = sysexList + sysexLength;
    const auto nextEnd = [listEnd](const uint8_t* from) {
        return static_cast<const uint8_t*>(std::memchr(from, 0xF7, static_cast<std::size_t>(listEnd - from)));
    };
    uint32_t trackSize = 1 + sizeof kEndOfTrack;
    const uint32_t laterDeltaLength = vlqLength(laterDelta);
    const uint8_t* ends[kRememberedEnds];
    std::size_t remembered = 0;
    for (const uint8_t *start = sysexList, *end; start < listEnd && (end = nextEnd(start)); start = end + 1) {
        const auto following = static_cast<uint32_t>(end - start);  // bytes after F0, F7 included
        trackSize += (start == sysexList ? 1 : laterDeltaLength) + 1 + vlqLength(following) + following;
        if (remembered < kRememberedEnds) ends[remembered++] = end;
    }

    out.resize(0);
    if (!out.resize(22 + trackSize)) return 0;
    ByteCursor writer(out.data());
    writer.bytes("MThd", 4);
    writer.be32(6);
    writer.be16(0);
    writer.be16(1);
    writer.be16(header.division);
    writer.bytes("MTrk", 4);
    writer.be32(trackSize);
    const uint8_t* start = sysexList;
    const auto writeEvent = [&](const uint8_t* end) {
        const auto following = static_cast<uint32_t>(end - start);
        writer.vlq(start == sysexList ? 0 : laterDelta);
        writer.byte(*start);
        writer.vlq(following);
        writer.bytes(start + 1, following);
        start = end + 1;
    };
    for (std::size_t i = 0; i < remembered; ++i) writeEvent(ends[i]);
    for (const uint8_t* end; start < listEnd && (end = nextEnd(start));) writeEvent(end);
    writer.byte(0);
    writer.bytes(kEndOfTrack, sizeof kEndOfTrack);
    return out.size();
}

// Rare enough (the key-based GM2 forms) to go through the MIDI file model.
uint32_t buildTuningSmf(const uint8_t* sysexList, uint32_t sysexLength,
                        const uint8_t* channelMessages, uint32_t channelLength, int32_t division,
                        int32_t delta, ByteBuffer& out) {
    if (channelLength == 0) return buildSysexSmf(sysexList, sysexLength, division, delta, out);
    MidiFile file;
    setDivision(file, static_cast<uint16_t>(division));
    file.tracks.emplace_back();
    MidiTrack& track = file.tracks.back();
    ByteBuffer length;
    ByteBuffer data;
    uint32_t start = 0;
    for (uint32_t end = 0; end < sysexLength; ++end) {
        if (sysexList[end] != 0xF7) continue;
        const uint32_t following = end - start;  // bytes after F0, F7 included
        if (!encodeVlq(following, length) || !data.resize(length.size() + following)) return 0;
        std::memcpy(data.data(), length.data(), length.size());
        std::memcpy(data.data() + length.size(), sysexList + start + 1, following);
        if (!addEvent(track, start == 0 ? 0 : static_cast<uint32_t>(delta), sysexList[start], data))
            return 0;
        start = end + 1;
    }
    int channel = -1;
    for (uint32_t i = 0; i < channelLength;) {
        const uint8_t status = channelMessages[i];
        const uint32_t count = dataBytesOf(status);
        if (!(status & 0x80) || channelLength - i - 1 < count) break;
        const bool nextChannel = (status & 0x0F) != channel;
        channel = status & 0x0F;
        const uint32_t eventDelta = nextChannel && !track.empty() ? static_cast<uint32_t>(delta) : 0;
        if (!addEvent(track, eventDelta, status, channelMessages + i + 1, count)) return 0;
        i += 1 + count;
    }
    if (!addEvent(track, 0, kEndOfTrack[0], kEndOfTrack + 1, sizeof kEndOfTrack - 1)) return 0;
    return serializeMidiFile(file, true, out);
}
