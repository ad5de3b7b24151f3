#include "song/SongFile.h"

#include <cstring>

#include "song/SongMessages.h"
#include "song/TempoMap.h"

namespace {

uint32_t bigEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}
uint32_t littleEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
}
uint16_t bigEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

SongReadError failure(SongError kind, std::size_t offset) {
    return SongReadError{kind, offset, songErrorText(kind)};
}

// The "data" chunk of a RIFF RMID file: its header offset, or `size` when
// there is none. Sub-chunks are padded to an even length.
SongReadError findRiffData(const uint8_t* file, std::size_t size, std::size_t& dataHeader) {
    const std::size_t riffEnd = 8 + static_cast<std::size_t>(littleEndian32(file + 4));
    if (riffEnd > size) return failure(SongError::ChunkPastEnd, 0);
    for (std::size_t at = 12; riffEnd - at >= 8 && at < riffEnd;) {
        const std::size_t length = littleEndian32(file + at + 4);
        if (length > riffEnd - at - 8) return failure(SongError::ChunkPastEnd, at);
        if (std::memcmp(file + at, "data", 4) == 0) {
            dataHeader = at;
            return {};
        }
        at += 8 + length + (length & 1);
    }
    return failure(SongError::NotMidiFile, 0);
}

}  // namespace

const char* songErrorText(SongError kind) {
    switch (kind) {
    case SongError::None: return "";
    case SongError::NotMidiFile: return "not a MIDI file: no MThd header of six bytes or more";
    case SongError::Format2: return "format 2 (independent patterns) is not a song this can tune";
    case SongError::BadDivision: return "the division is neither ticks per quarter note nor an SMPTE rate";
    case SongError::NoTrack: return "the file holds no track (MTrk)";
    case SongError::ChunkPastEnd: return "a chunk's length runs past the end of the file";
    case SongError::NumberTooLong: return "a variable-length number is longer than four bytes";
    case SongError::EventPastTrack: return "an event runs past the end of its track";
    case SongError::NoRunningStatus: return "a data byte where a status byte is due";
    case SongError::StrayStatus: return "a status byte that has no place in a MIDI file";
    case SongError::TimeTooLarge: return "a moved event's delta time would not fit in four bytes";
    }
    return "";
}

SongReadError readSongLayout(const uint8_t* file, std::size_t size, SongLayout& layout) {
    layout = SongLayout{};
    std::size_t begin = 0;
    std::size_t end = size;
    if (size >= 12 && std::memcmp(file, "RIFF", 4) == 0 && std::memcmp(file + 8, "RMID", 4) == 0) {
        std::size_t dataHeader = 0;
        if (SongReadError error = findRiffData(file, size, dataHeader); !error.ok()) return error;
        layout.wrapped = true;
        layout.riffDataHeader = dataHeader;
        begin = dataHeader + 8;
        end = begin + littleEndian32(file + dataHeader + 4);
    }
    if (end - begin < 14 || std::memcmp(file + begin, "MThd", 4) != 0 || bigEndian32(file + begin + 4) < 6)
        return failure(SongError::NotMidiFile, begin);
    layout.smfBegin = begin;
    layout.format = bigEndian16(file + begin + 8);
    layout.division = bigEndian16(file + begin + 12);
    if (layout.format == 2) return failure(SongError::Format2, begin + 8);
    if (!isUsableDivision(layout.division)) return failure(SongError::BadDivision, begin + 12);

    std::size_t at = begin;
    while (end - at >= 8) {
        const std::size_t length = bigEndian32(file + at + 4);
        if (length > end - at - 8) return failure(SongError::ChunkPastEnd, at);
        if (std::memcmp(file + at, "MTrk", 4) == 0) layout.tracks.push_back({at, at + 8, at + 8 + length});
        at += 8 + length;
    }
    layout.smfEnd = end;
    if (layout.tracks.empty()) return failure(SongError::NoTrack, at);
    return {};
}

TrackScanner::TrackScanner(const uint8_t* file, const TrackChunk& chunk)
    : file_(file), position_(chunk.bodyBegin), end_(chunk.bodyEnd) {}

bool TrackScanner::fail(SongError kind, std::size_t offset, SongReadError& error) {
    error = failure(kind, offset);
    ended_ = true;
    return false;
}

bool TrackScanner::readNumber(uint32_t& value, SongReadError& error) {
    const std::size_t start = position_;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (position_ >= end_) return fail(SongError::EventPastTrack, start, error);
        const uint8_t byte = file_[position_++];
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) return true;
    }
    return fail(SongError::NumberTooLong, start, error);
}

bool TrackScanner::next(TrackEvent& event, SongReadError& error) {
    if (ended_ || position_ >= end_) return false;
    event.index = index_++;
    event.deltaOffset = position_;
    if (!readNumber(event.delta, error)) return false;
    tick_ += event.delta;
    event.tick = tick_;
    event.offset = position_;
    if (position_ >= end_) return fail(SongError::EventPastTrack, event.deltaOffset, error);

    uint8_t status = file_[position_];
    event.runningStatus = status < 0x80;
    if (event.runningStatus) {
        if (runningStatus_ == 0) return fail(SongError::NoRunningStatus, position_, error);
        status = runningStatus_;
    } else {
        ++position_;
    }
    event.status = status;
    event.metaType = 0;
    event.dataLength = 0;

    if (status >= 0x80 && status <= 0xEF) {
        runningStatus_ = status;
        const uint32_t count = channelDataBytes(status);
        if (end_ - position_ < count) return fail(SongError::EventPastTrack, event.offset, error);
        for (uint32_t i = 0; i < count; ++i)
            if (file_[position_ + i] >= 0x80) return fail(SongError::StrayStatus, position_ + i, error);
        position_ += count;
    } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
        if (status == 0xFF) {
            if (position_ >= end_) return fail(SongError::EventPastTrack, event.offset, error);
            event.metaType = file_[position_++];
        }
        if (!readNumber(event.dataLength, error)) return false;
        if (end_ - position_ < event.dataLength) return fail(SongError::EventPastTrack, event.offset, error);
        event.dataOffset = position_;
        position_ += event.dataLength;
    } else {
        return fail(SongError::StrayStatus, event.offset, error);
    }
    event.end = position_;
    if (event.isEndOfTrack()) ended_ = true;
    return true;
}
