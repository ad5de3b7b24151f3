#include "output/SysexSmf.h"

#include "midi/MessageSplit.h"
#include "midi/SmfChunks.h"
#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"

namespace {

// The header's division: `word` when it counts ticks per quarter note or its
// high byte is an SMPTE rate (-24, -25, -29, -30); 0 for any other word.
uint16_t writtenDivision(uint16_t word) {
    return isSmpteDivision(word) && smpteFramesPerSecond(word) == 0 ? 0 : word;
}

// The one track of a listing's file, after its chunk header: each SysEx an
// event, `delta` ticks after the one before (the first at 0); then each
// channel message an event, a channel's messages at one tick, `delta` ticks
// after the event before them, with running status; End of Track.
void writeTuningTrack(ByteCursor& cursor, const uint8_t* sysex, uint32_t sysexLength, const uint8_t* channel,
                      uint32_t channelLength, uint32_t delta) {
    SmfWriter<ByteCursor> writer(cursor);
    bool first = true;
    forEachListedMessage(sysex, sysexLength, CutMessages::Drop, [&](const ListedMessage& message) {
        if (!message.isSysex(sysex)) return;
        writer.delta(first ? 0 : delta);
        writer.listedMessage(sysex + message.offset, message.size);
        first = false;
    });
    int channelNumber = -1;
    forEachListedMessage(channel, channelLength, CutMessages::Drop, [&](const ListedMessage& message) {
        const uint8_t* bytes = channel + message.offset;
        if (!isChannelStatus(bytes[0])) return;
        const bool nextChannel = (bytes[0] & 0x0F) != channelNumber;
        channelNumber = bytes[0] & 0x0F;
        writer.delta(nextChannel && !first ? delta : 0);
        writer.event(bytes, message.size, true);
        first = false;
    });
    writer.delta(0);
    writer.endOfTrack();
}

}  // namespace

// Written in one pass into storage that the largest image of the lists
// fits (a message of n >= 2 bytes becomes at most n + 8: a delta and a
// length of four bytes each), then cut to the bytes written: no event
// objects and one allocation, for a save that follows every change.
uint32_t buildTuningSmf(const uint8_t* sysexList, uint32_t sysexLength,
                        const uint8_t* channelMessages, uint32_t channelLength, int32_t division,
                        int32_t delta, ByteBuffer& out) {
    const uint64_t largest = uint64_t{kHeaderChunkSize} + kChunkHeaderSize + 8 + 5 * (uint64_t{sysexLength} + channelLength);
    out.resize(0);
    if (largest > UINT32_MAX || !out.resize(static_cast<uint32_t>(largest))) return 0;
    ByteCursor cursor(out.data());
    SmfWriter<ByteCursor> writer(cursor);
    writer.header(0, 1, writtenDivision(static_cast<uint16_t>(division)));
    writer.trackHeader(0);  // its length once the events are written
    writeTuningTrack(cursor, sysexList, sysexLength, channelMessages, channelLength, static_cast<uint32_t>(delta));
    const auto written = static_cast<uint32_t>(cursor.position() - out.data());
    writeBigEndian32(out.data() + kHeaderChunkSize + 4, written - kHeaderChunkSize - kChunkHeaderSize);
    out.resize(written);
    return written;
}

uint32_t buildSysexSmf(const uint8_t* sysexList, uint32_t sysexLength, int32_t division,
                       int32_t delta, ByteBuffer& out) {
    return buildTuningSmf(sysexList, sysexLength, nullptr, 0, division, delta, out);
}
