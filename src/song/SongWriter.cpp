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

class Output {
public:
    explicit Output(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    void copy(const uint8_t* from, std::size_t begin, std::size_t end) {
        bytes_.insert(bytes_.end(), from + begin, from + end);
    }
    void byte(uint8_t value) { bytes_.push_back(value); }
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
    std::size_t size() const { return bytes_.size(); }
    uint8_t* at(std::size_t offset) { return bytes_.data() + offset; }

private:
    std::vector<uint8_t>& bytes_;
};

bool hasEdits(const TrackEdits& edits) {
    return !edits.insertions.empty() || !edits.removed.empty() || edits.shift != 0;
}

// The track chunk again, "MTrk" to its last byte.
SongReadError writeTrack(const uint8_t* file, const TrackChunk& chunk, const TrackEdits& edits, Output& out) {
    out.copy(file, chunk.headerOffset, chunk.headerOffset + 4);
    const std::size_t lengthAt = out.size();
    out.copy(file, chunk.headerOffset + 4, chunk.bodyBegin);  // replaced below

    uint64_t previous = 0;
    // Set when an event was inserted or removed just before: an event that
    // relied on running status then gets its status byte back.
    bool statusLost = false;
    std::size_t nextInsertion = 0;
    std::size_t nextRemoved = 0;
    const auto insert = [&](const Insertion& insertion) {
        out.number(static_cast<uint32_t>(insertion.tick - previous));
        out.copy(insertion.event->data(), 0, insertion.event->size());
        previous = insertion.tick;
        statusLost = true;
    };

    TrackScanner scanner(file, chunk);
    TrackEvent event;
    SongReadError error;
    while (scanner.next(event, error)) {
        uint64_t tick = event.tick + (edits.moves(event) ? edits.shift : 0);
        if (event.isEndOfTrack()) {
            while (nextInsertion < edits.insertions.size()) insert(edits.insertions[nextInsertion++]);
            if (tick < previous) tick = previous;
        }
        while (nextInsertion < edits.insertions.size() && event.index >= edits.insertions[nextInsertion].firstFree &&
               tick >= edits.insertions[nextInsertion].tick)
            insert(edits.insertions[nextInsertion++]);
        if (nextRemoved < edits.removed.size() && edits.removed[nextRemoved] == event.index) {
            ++nextRemoved;
            statusLost = true;
            continue;
        }
        const uint64_t delta = tick - previous;
        if (delta > kLargestDelta) return SongReadError{SongError::TimeTooLarge, event.deltaOffset,
                                                        songErrorText(SongError::TimeTooLarge)};
        if (delta == event.delta)
            out.copy(file, event.deltaOffset, event.offset);
        else
            out.number(static_cast<uint32_t>(delta));
        if (event.runningStatus && statusLost) out.byte(event.status);
        out.copy(file, event.offset, event.end);
        previous = tick;
        statusLost = false;
    }
    while (nextInsertion < edits.insertions.size()) insert(edits.insertions[nextInsertion++]);
    out.copy(file, scanner.tailOffset(), chunk.bodyEnd);
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
    Output output(out);
    output.copy(file, 0, layout.smfBegin);
    std::size_t cursor = layout.smfBegin;
    for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
        if (!hasEdits(edits[t])) continue;
        output.copy(file, cursor, layout.tracks[t].headerOffset);
        if (SongReadError error = writeTrack(file, layout.tracks[t], edits[t], output); !error.ok()) {
            out.clear();
            return error;
        }
        cursor = layout.tracks[t].bodyEnd;
    }
    output.copy(file, cursor, layout.smfEnd);
    if (!layout.wrapped) return {};

    // RIFF chunks are padded to an even length; the sizes are little-endian.
    const std::size_t oldData = layout.smfEnd - layout.smfBegin;
    const std::size_t oldPadded = oldData + ((oldData & 1) && layout.smfEnd < size ? 1 : 0);
    const std::size_t newData = out.size() - layout.smfBegin;
    if (newData & 1) output.byte(0);
    const std::size_t newPadded = out.size() - layout.smfBegin;
    output.copy(file, layout.smfBegin + oldPadded, size);
    putLittleEndian32(output.at(layout.riffDataHeader + 4), static_cast<uint32_t>(newData));
    putLittleEndian32(output.at(4), static_cast<uint32_t>(littleEndian32(file + 4) + newPadded - oldPadded));
    return {};
}
