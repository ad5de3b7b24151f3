#include "midi/SmfReader.h"

#include <cstring>

#include "midi/SmfChunks.h"
#include "midi/VariableLength.h"

namespace {

SmfFault failure(SmfError kind, std::size_t offset) { return SmfFault{kind, offset}; }

// The "data" chunk of a RIFF RMID file: its header offset. Sub-chunks are
// padded to an even length.
SmfFault findRiffData(const uint8_t* file, std::size_t size, std::size_t& dataHeader) {
    const std::size_t riffEnd = kChunkHeaderSize + static_cast<std::size_t>(readLittleEndian32(file + 4));
    if (riffEnd > size) return failure(SmfError::ChunkPastEnd, 0);
    for (std::size_t at = kRiffFormHeaderSize; at < riffEnd && riffEnd - at >= 8;) {
        const std::size_t length = readLittleEndian32(file + at + 4);
        if (length > riffEnd - at - 8) return failure(SmfError::ChunkPastEnd, at);
        if (std::memcmp(file + at, "data", 4) == 0) {
            dataHeader = at;
            return {};
        }
        at += 8 + length + (length & 1);
    }
    return failure(SmfError::NotMidiFile, 0);
}

}  // namespace

bool isSmpteDivision(uint16_t division) { return (division & 0x8000) != 0; }

double smpteFramesPerSecond(uint16_t division) {
    switch (static_cast<int8_t>(division >> 8)) {
    case -24: return 24;
    case -25: return 25;
    case -29: return 30000.0 / 1001;  // 30 drop frame: 29.97 frames a second
    case -30: return 30;
    default: return 0;
    }
}

bool isUsableDivision(uint16_t division) {
    if (!isSmpteDivision(division)) return division != 0;
    return smpteFramesPerSecond(division) != 0 && (division & 0xFF) != 0;
}

SmfFault readSmfLayout(const uint8_t* file, std::size_t size, SmfLayout& layout) {
    layout = SmfLayout{};
    std::size_t begin = 0;
    std::size_t end = size;
    if (size >= 12 && std::memcmp(file, "RIFF", 4) == 0 && std::memcmp(file + 8, "RMID", 4) == 0) {
        std::size_t dataHeader = 0;
        if (SmfFault fault = findRiffData(file, size, dataHeader); !fault.ok()) return fault;
        layout.wrapped = true;
        layout.riffDataHeader = dataHeader;
        begin = dataHeader + 8;
        end = begin + readLittleEndian32(file + dataHeader + 4);
    }
    if (end - begin < kHeaderChunkSize || std::memcmp(file + begin, "MThd", 4) != 0 ||
        readBigEndian32(file + begin + 4) < 6)
        return failure(SmfError::NotMidiFile, begin);
    layout.smfBegin = begin;
    layout.format = readBigEndian16(file + begin + 8);
    layout.division = readBigEndian16(file + begin + 12);
    if (layout.format == 2) return failure(SmfError::Format2, begin + 8);
    if (!isUsableDivision(layout.division)) return failure(SmfError::BadDivision, begin + 12);

    std::size_t at = begin;
    while (end - at >= 8) {
        const std::size_t length = readBigEndian32(file + at + 4);
        if (length > end - at - 8) return failure(SmfError::ChunkPastEnd, at);
        if (std::memcmp(file + at, "MTrk", 4) == 0) layout.tracks.push_back({at, at + 8, at + 8 + length});
        at += 8 + length;
    }
    layout.smfEnd = end;
    if (layout.tracks.empty()) return failure(SmfError::NoTrack, at);
    return {};
}

TrackScanner::TrackScanner(const uint8_t* file, const TrackChunk& chunk)
    : file_(file), position_(chunk.bodyBegin), end_(chunk.bodyEnd) {}

bool TrackScanner::fail(SmfError kind, std::size_t offset, SmfFault& fault) {
    fault = failure(kind, offset);
    ended_ = true;
    return false;
}

bool TrackScanner::readNumber(uint32_t& value, SmfFault& fault) {
    const VariableLengthRead read = decodeVariableLength(file_ + position_, file_ + end_);
    switch (read.status) {
    case VariableLengthStatus::Read: break;
    case VariableLengthStatus::CutShort: return fail(SmfError::EventPastTrack, position_, fault);
    case VariableLengthStatus::TooLong: return fail(SmfError::NumberTooLong, position_, fault);
    }
    value = read.value;
    position_ += read.length;
    return true;
}

bool TrackScanner::next(TrackEvent& event, SmfFault& fault) {
    if (ended_ || position_ >= end_) return false;
    event.index = index_++;
    event.deltaOffset = position_;
    if (!readNumber(event.delta, fault)) return false;
    tick_ += event.delta;
    event.tick = tick_;
    event.offset = position_;
    if (position_ >= end_) return fail(SmfError::EventPastTrack, event.deltaOffset, fault);

    const uint8_t first = file_[position_];
    const uint8_t status = runningStatus_.resolve(first);
    event.runningStatus = isDataByte(first);
    if (status == 0) return fail(SmfError::NoRunningStatus, position_, fault);
    if (!event.runningStatus) ++position_;
    event.status = status;
    event.metaType = 0;

    switch (classOf(status)) {
    case StatusClass::Channel: {
        const uint32_t count = channelDataBytes(status);
        if (end_ - position_ < count) return fail(SmfError::EventPastTrack, event.offset, fault);
        for (uint32_t i = 0; i < count; ++i)
            if (!isDataByte(file_[position_ + i])) return fail(SmfError::StrayStatus, position_ + i, fault);
        event.dataOffset = position_;
        event.dataLength = count;
        position_ += count;
        break;
    }
    case StatusClass::SysexStart:
    case StatusClass::SysexEnd:
    case StatusClass::MetaOrReset:
        if (status == kMetaEvent) {
            if (position_ >= end_) return fail(SmfError::EventPastTrack, event.offset, fault);
            event.metaType = file_[position_++];
        }
        if (!readNumber(event.dataLength, fault)) return false;
        if (end_ - position_ < event.dataLength) return fail(SmfError::EventPastTrack, event.offset, fault);
        event.dataOffset = position_;
        position_ += event.dataLength;
        break;
    default:
        return fail(SmfError::StrayStatus, event.offset, fault);
    }
    runningStatus_.follow(status);
    event.end = position_;
    if (event.isEndOfTrack()) ended_ = true;
    return true;
}
