#include "song/SongWriter.h"

namespace {

constexpr uint64_t kLargestDelta = 0x0FFFFFFF;

uint32_t littleEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
}

void putLittleEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void putBigEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The written bytes. Ranges of the file read that follow each other are
// gathered and copied in one go, so an unchanged stretch of a track costs
// one copy, not one per event.
class Output {
public:
    Output(const uint8_t* file, std::vector<uint8_t>& bytes) : file_(file), bytes_(bytes) {}
    void keep(std::size_t begin, std::size_t end) {
        if (begin != keptEnd_) {
            flush();
            keptBegin_ = begin;
        }
        keptEnd_ = end;
    }
    void copy(const std::vector<uint8_t>& from) {
        flush();
        bytes_.insert(bytes_.end(), from.begin(), from.end());
    }
    void byte(uint8_t value) {
        flush();
        bytes_.push_back(value);
    }
    void number(uint32_t value) {
        uint8_t groups[4];
        int count = 0;
        do {
            groups[count++] = static_cast<uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value != 0);
        while (count > 1) byte(static_cast<uint8_t>(groups[--count] | 0x80));
        byte(groups[0]);
    }
    std::size_t size() {
        flush();
        return bytes_.size();
    }
    uint8_t* at(std::size_t offset) {
        flush();
        return bytes_.data() + offset;
    }

    // Copies what is gathered; call once the last byte has been given.
    void flush() {
        bytes_.insert(bytes_.end(), file_ + keptBegin_, file_ + keptEnd_);
        keptBegin_ = keptEnd_ = 0;
    }

private:
    const uint8_t* file_;
    std::vector<uint8_t>& bytes_;
    std::size_t keptBegin_ = 0;
    std::size_t keptEnd_ = 0;
};

bool isChannelStatus(uint8_t status) { return status >= 0x80 && status <= 0xEF; }

bool hasEdits(const TrackEdits& edits) {
    return !edits.insertions.empty() || !edits.removed.empty() || edits.shift != 0;
}

// The track chunk again, "MTrk" to its last byte.
SongReadError writeTrack(const uint8_t* file, const TrackChunk& chunk, const TrackEdits& edits, Output& out) {
    out.keep(chunk.headerOffset, chunk.headerOffset + 4);
    const std::size_t lengthAt = out.size();
    out.keep(chunk.headerOffset + 4, chunk.bodyBegin);  // replaced below

    uint64_t previous = 0;
    // An event that relied on running status gets its status byte back when
    // an event was inserted or removed just before it, or when an inserted
    // channel message changed the running status it relied on (which lenient
    // readers carry across SysEx and meta events).
    bool statusLost = false;
    uint8_t runningStatus = 0;  // as a reader of the written track has it
    std::size_t nextInsertion = 0;
    std::size_t nextRemoved = 0;
    // False when the time from the event before is beyond four bytes.
    const auto putDelta = [&](uint64_t tick) {
        if (tick - previous > kLargestDelta) return false;
        out.number(static_cast<uint32_t>(tick - previous));
        previous = tick;
        return true;
    };
    const auto insert = [&](const Insertion& insertion) {
        if (!putDelta(insertion.tick)) return false;
        out.copy(*insertion.event);
        statusLost = true;
        if (isChannelStatus((*insertion.event)[0])) runningStatus = (*insertion.event)[0];
        return true;
    };
    const auto tooLarge = [](std::size_t offset) {
        return SongReadError{SongError::TimeTooLarge, offset, songErrorText(SongError::TimeTooLarge)};
    };

    TrackScanner scanner(file, chunk);
    TrackEvent event;
    SongReadError error;
    while (scanner.next(event, error)) {
        uint64_t tick = event.tick + (edits.moves(event) ? edits.shift : 0);
        const auto due = [&](const Insertion& insertion) {
            return event.isEndOfTrack() || (event.index >= insertion.firstFree && tick >= insertion.tick);
        };
        while (nextInsertion < edits.insertions.size() && due(edits.insertions[nextInsertion]))
            if (!insert(edits.insertions[nextInsertion++])) return tooLarge(event.deltaOffset);
        if (nextRemoved < edits.removed.size() && edits.removed[nextRemoved] == event.index) {
            ++nextRemoved;
            statusLost = true;
            continue;
        }
        if (tick < previous) tick = previous;  // End of Track after the tuning that went past it
        if (tick - previous == event.delta) {
            out.keep(event.deltaOffset, event.offset);
            previous = tick;
        } else if (!putDelta(tick)) {
            return tooLarge(event.deltaOffset);
        }
        if (event.runningStatus && (statusLost || runningStatus != event.status)) out.byte(event.status);
        out.keep(event.offset, event.end);
        statusLost = false;
        if (isChannelStatus(event.status)) runningStatus = event.status;
    }
    while (nextInsertion < edits.insertions.size())
        if (!insert(edits.insertions[nextInsertion++])) return tooLarge(chunk.bodyEnd);
    out.keep(scanner.tailOffset(), chunk.bodyEnd);
    putBigEndian32(out.at(lengthAt), static_cast<uint32_t>(out.size() - lengthAt - 4));
    return {};
}

}  // namespace

SongReadError writeEditedSong(const uint8_t* file, std::size_t size, const SongLayout& layout,
                              const std::vector<TrackEdits>& edits, std::vector<uint8_t>& out) {
    out.clear();
    bool changed = false;
    std::size_t inserted = 0;
    for (const TrackEdits& track : edits) {
        changed = changed || hasEdits(track);
        for (const Insertion& insertion : track.insertions) inserted += insertion.event->size() + 4;
    }
    if (!changed) {
        out.assign(file, file + size);
        return {};
    }
    out.reserve(size + inserted + 8 * edits.size() + 16);
    Output output(file, out);
    output.keep(0, layout.smfBegin);
    std::size_t cursor = layout.smfBegin;
    for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
        if (!hasEdits(edits[t])) continue;
        output.keep(cursor, layout.tracks[t].headerOffset);
        if (SongReadError error = writeTrack(file, layout.tracks[t], edits[t], output); !error.ok()) {
            out.clear();
            return error;
        }
        cursor = layout.tracks[t].bodyEnd;
    }
    output.keep(cursor, layout.smfEnd);
    output.flush();
    if (!layout.wrapped) return {};

    // RIFF chunks are padded to an even length; the sizes are little-endian.
    const std::size_t oldData = layout.smfEnd - layout.smfBegin;
    const std::size_t oldPadded = oldData + ((oldData & 1) && layout.smfEnd < size ? 1 : 0);
    const std::size_t newData = output.size() - layout.smfBegin;
    if (newData & 1) output.byte(0);
    const std::size_t newPadded = output.size() - layout.smfBegin;
    output.keep(layout.smfBegin + oldPadded, size);
    output.flush();
    putLittleEndian32(output.at(layout.riffDataHeader + 4), static_cast<uint32_t>(newData));
    putLittleEndian32(output.at(4), static_cast<uint32_t>(littleEndian32(file + 4) + newPadded - oldPadded));
    return {};
}
