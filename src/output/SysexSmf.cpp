#include "output/SysexSmf.h"

#include <cstring>

#include "output/MidiFile.h"

uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out) {
    MidiFile file;
    file.format = 0;
    setDivision(file, static_cast<uint16_t>(division));
    file.tracks.emplace_back();
    MidiTrack& track = file.tracks.back();
    uint32_t messages = 0;
    for (uint32_t i = 0; i < sysexLength; ++i) messages += sysexList[i] == 0xF7;
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
    static const uint8_t kEndOfTrack[] = {0x2F, 0x00};
    if (!addEvent(track, 0, 0xFF, kEndOfTrack, sizeof kEndOfTrack)) return 0;
    return serializeMidiFile(file, true, out);
}
