#include "midi/TrackMerge.h"

#include <algorithm>

namespace {

// Each track has one event in the heap, so ticks and tracks decide.
struct Later {
    bool operator()(const SongPosition& a, const SongPosition& b) const { return soundsBefore(b, a); }
};

}  // namespace

TrackMerge::TrackMerge(const uint8_t* file, const SmfLayout& layout) {
    scanners_.reserve(layout.tracks.size());
    heads_.resize(layout.tracks.size());
    for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
        scanners_.emplace_back(file, layout.tracks[t]);
        advance(static_cast<uint32_t>(t));
    }
}

bool TrackMerge::next(uint32_t& track, TrackEvent& event) {
    if (hasCurrent_ && (heap_.empty() || !Later{}(current_, heap_.front()))) {
        track = current_.track;
    } else {
        if (hasCurrent_) push(current_);
        if (heap_.empty()) return false;
        std::pop_heap(heap_.begin(), heap_.end(), Later{});
        track = heap_.back().track;
        heap_.pop_back();
    }
    event = heads_[track];
    hasCurrent_ = false;
    advance(track);
    return true;
}

void TrackMerge::push(const SongPosition& head) {
    heap_.push_back(head);
    std::push_heap(heap_.begin(), heap_.end(), Later{});
}

void TrackMerge::advance(uint32_t track) {
    SmfFault fault;
    if (scanners_[track].next(heads_[track], fault)) {
        if (hasCurrent_) push(current_);
        current_ = {heads_[track].tick, track, 0};
        hasCurrent_ = true;
    }
    if (!fault.ok() && fault_.ok()) fault_ = fault;
}
