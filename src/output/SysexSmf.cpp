#include "output/SysexSmf.h"

#include <cstring>

#include "output/MidiFile.h"

namespace {

uint32_t dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

}  // namespace

uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out) {
    return buildTuningSmf(sysexList, sysexLength, nullptr, 0, division, delta, out);
}

uint32_t buildTuningSmf(const uint8_t* sysexList, uint32_t sysexLength,
                        const uint8_t* channelMessages, uint32_t channelLength, int32_t division,
                        int32_t delta, ByteBuffer& out) {
    MidiFile file;
    file.format = 0;
    setDivision(file, static_cast<uint16_t>(division));
    file.tracks.emplace_back();
    MidiTrack& track = file.tracks.back();
    uint32_t messages = 0;
    for (uint32_t i = 0; i < sysexLength; ++i) messages += sysexList[i] == 0xF7;
    for (uint32_t i = 0; i < channelLength; ++i) messages += (channelMessages[i] & 0x80) != 0;
    track.reserve(messages + 1);

    ByteBuffer length;
    ByteBuffer data;
    uint32_t start = 0;
    for (uint32_t end = 0; end < sysexLength; ++end) {
        if (sysexList[end] != 0xF7) continue;
        const uint32_t following = end - start;  // bytes after F0, F7 included
        if (!encodeVlq(following, length)) return 0;
        if (!data.resize(length.size() + following)) return 0;
        std::memcpy(data.data(), length.data(), length.size());
        std::memcpy(data.data() + length.size(), sysexList + start + 1, following);
        const uint32_t eventDelta = start == 0 ? 0 : static_cast<uint32_t>(delta);
        if (!addEvent(track, eventDelta, sysexList[start], data)) return 0;
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
    static const uint8_t kEndOfTrack[] = {0x2F, 0x00};
    if (!addEvent(track, 0, 0xFF, kEndOfTrack, sizeof kEndOfTrack)) return 0;
    return serializeMidiFile(file, true, out);
}
