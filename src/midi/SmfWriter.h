// Writing a Standard MIDI File: the header chunk, track chunk headers, delta
// times and events, into any byte sink. The listing's .mid and the songs
// written again go through it.
//
// A sink has byte(uint8_t) and bytes(const uint8_t*, std::size_t): a
// ByteCursor writes into storage sized beforehand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "midi/SmfChunks.h"
#include "midi/StatusBytes.h"
#include "midi/VariableLength.h"


// Bytes written one after another into storage sized beforehand.
class ByteCursor {
public:
    explicit ByteCursor(uint8_t* at) : at_(at) {}
    void bytes(const void* data, std::size_t count) {
        std::memcpy(at_, data, count);
        at_ += count;
    }
    void byte(uint8_t value) { *at_++ = value; }
    uint8_t* position() const { return at_; }

private:
    uint8_t* at_;
};

template <class Sink>
class SmfWriter {
public:
    explicit SmfWriter(Sink& sink) : sink_(sink) {}

    void header(uint16_t format, uint16_t tracks, uint16_t division) {
        sink_.bytes("MThd", 4);
        be32(6);
        be16(format);
        be16(tracks);
        be16(division);
    }
    // "MTrk" and the length of the events that follow. Running status
    // starts afresh in every track.
    void trackHeader(uint32_t length) {
        sink_.bytes("MTrk", 4);
        be32(length);
        previousStatus_ = -1;
    }
    // Byte by byte: a call to copy one to four bytes would cost more than
    // the bytes, and the listing's file is written on every save.
    void delta(uint32_t ticks) {
        if (ticks < 0x80) {
            sink_.byte(static_cast<uint8_t>(ticks));
            return;
        }
        uint8_t quantity[kMaxVariableLengthBytes];
        const uint32_t length = encodeVariableLength(ticks, quantity);
        for (uint32_t i = 0; i < length; ++i) sink_.byte(quantity[i]);
    }
    // An event after its delta time: the status byte, then everything that
    // follows it in the file. With
    // `runningStatus` a channel message leaves out its status byte when the
    // event written before it is a channel message of the same status; after
    // a SysEx or meta event every status byte is written, as the standard
    // has those events cancel running status.
    void event(const uint8_t* bytes, std::size_t count, bool runningStatus) {
        const uint8_t status = bytes[0];
        const std::size_t skip = runningStatus && isChannelStatus(status) && status == previousStatus_ ? 1 : 0;
        sink_.bytes(bytes + skip, count - skip);
        previousStatus_ = status;
    }
    // One message of a listing as a track event after its delta time: a
    // SysEx (F0 to F7) as F0, the length of the rest, then the rest, F7
    // included; a channel message as it is, status byte and all.
    void listedMessage(const uint8_t* message, std::size_t size) {
        if (message[0] == kSysexStart) {
            sink_.byte(kSysexStart);
            delta(static_cast<uint32_t>(size - 1));
            sink_.bytes(message + 1, size - 1);
        } else {
            sink_.bytes(message, size);
        }
        previousStatus_ = message[0];
    }
    void endOfTrack() {
        static const uint8_t kEndOfTrack[] = {kMetaEvent, kMetaEndOfTrack, 0x00};
        event(kEndOfTrack, sizeof kEndOfTrack, false);
    }

private:
    void be16(uint16_t value) {
        uint8_t bytes[2];
        writeBigEndian16(bytes, value);
        sink_.bytes(bytes, 2);
    }
    void be32(uint32_t value) {
        uint8_t bytes[4];
        writeBigEndian32(bytes, value);
        sink_.bytes(bytes, 4);
    }

    Sink& sink_;
    int previousStatus_ = -1;
};

// The bytes of the RIFF RMID wrapper around a Standard MIDI File that was
// written again: the "data" chunk's size, the RIFF chunk's size, and whether
// the new data takes a pad byte. RIFF chunks are padded to an even length and
// their sizes are little-endian; the pad byte of the data chunk lies inside
// the RIFF chunk, so a file whose odd data chunk ends the RIFF chunk without
// one stays so.
struct RiffRewrap {
    uint32_t dataSize = 0;
    uint32_t riffSize = 0;
    bool pad = false;
    std::size_t oldPadded = 0;  // the old data chunk's body with its pad byte
};
// `riffSize`: the old RIFF chunk's size field; `oldData`, `newData`: the
// data chunk's body before and after; `oldDataEnd`: where it ended in the file.
RiffRewrap rewrapRiff(uint32_t riffSize, std::size_t oldData, std::size_t oldDataEnd, std::size_t newData);
