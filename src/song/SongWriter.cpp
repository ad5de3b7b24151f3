#include "song/SongWriter.h"

#include "midi/SmfWriter.h"
#include "midi/VariableLength.h"

namespace {

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
    void bytes(const void* data, std::size_t count) {
        flush();
        const auto* from = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), from, from + count);
    }
    void byte(uint8_t value) {
        flush();
        bytes_.push_back(value);
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

bool hasEdits(const TrackEdits& edits) {
    return !edits.insertions.empty() || !edits.removed.empty() || edits.shift != 0;
}

// The track chunk again, "MTrk" to its last byte.
SmfFault writeTrack(const uint8_t* file, const TrackChunk& chunk, const TrackEdits& edits, Output& out) {
    out.keep(chunk.headerOffset, chunk.headerOffset + 4);
    const std::size_t lengthAt = out.size();
    out.keep(chunk.headerOffset + 4, chunk.bodyBegin);  // replaced below
    SmfWriter<Output> writer(out);

    uint64_t previous = 0;
    // An event that relied on running status gets its status byte back when
    // an event was inserted or removed just before it, or when an inserted
    // channel message changed the running status it relied on (which the
    // reader carries across SysEx and meta events).
    bool statusLost = false;
    RunningStatus runningStatus;  // as a reader of the written track has it
    std::size_t nextInsertion = 0;
    std::size_t nextRemoved = 0;
    // False when the time from the event before is beyond four bytes.
    const auto putDelta = [&](uint64_t tick) {
        if (tick - previous > kLargestVariableLength) return false;
        writer.delta(static_cast<uint32_t>(tick - previous));
        previous = tick;
        return true;
    };
    const auto insert = [&](const Insertion& insertion) {
        if (!putDelta(insertion.tick)) return false;
        writer.listedMessage(insertion.message, insertion.size);
        statusLost = true;
        runningStatus.follow(insertion.message[0]);
        return true;
    };
    const auto tooLarge = [](std::size_t offset) { return SmfFault{SmfError::TimeTooLarge, offset}; };

    TrackScanner scanner(file, chunk);
    TrackEvent event;
    SmfFault fault;
    while (scanner.next(event, fault)) {
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
        if (event.runningStatus && (statusLost || runningStatus.current() != event.status)) out.byte(event.status);
        out.keep(event.offset, event.end);
        statusLost = false;
        runningStatus.follow(event.status);
    }
    while (nextInsertion < edits.insertions.size())
        if (!insert(edits.insertions[nextInsertion++])) return tooLarge(chunk.bodyEnd);
    out.keep(scanner.tailOffset(), chunk.bodyEnd);
    writeBigEndian32(out.at(lengthAt), static_cast<uint32_t>(out.size() - lengthAt - 4));
    return {};
}

}  // namespace

SmfFault writeEditedSong(const uint8_t* file, std::size_t size, const SmfLayout& layout,
                         const std::vector<TrackEdits>& edits, std::vector<uint8_t>& out) {
    out.clear();
    bool changed = false;
    std::size_t inserted = 0;
    for (const TrackEdits& track : edits) {
        changed = changed || hasEdits(track);
        for (const Insertion& insertion : track.insertions) inserted += insertion.size + 4;
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
        if (SmfFault fault = writeTrack(file, layout.tracks[t], edits[t], output); !fault.ok()) {
            out.clear();
            return fault;
        }
        cursor = layout.tracks[t].bodyEnd;
    }
    output.keep(cursor, layout.smfEnd);
    output.flush();
    if (!layout.wrapped) return {};

    const RiffRewrap riff = rewrapRiff(readLittleEndian32(file + 4), layout.smfEnd - layout.smfBegin, layout.smfEnd,
                                       output.size() - layout.smfBegin);
    if (riff.pad) output.byte(0);
    output.keep(layout.smfBegin + riff.oldPadded, size);
    output.flush();
    writeLittleEndian32(output.at(layout.riffDataHeader + 4), riff.dataSize);
    writeLittleEndian32(output.at(4), riff.riffSize);
    return {};
}
