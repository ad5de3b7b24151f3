#include "sysex/ListingDiff.h"

#include <algorithm>

namespace {

struct Run {
    std::size_t begin;
    std::size_t end;
};

// Runs of differing characters in [begin, end) of two texts of equal length.
std::vector<Run> differingRuns(const std::string& a, const std::string& b, std::size_t begin,
                               std::size_t end, std::size_t joinGap) {
    std::vector<Run> runs;
    std::size_t i = begin;
    while (i < end) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t runEnd = i + 1;
        while (runEnd < end && a[runEnd] != b[runEnd]) ++runEnd;
        if (!runs.empty() && i - runs.back().end < joinGap)
            runs.back().end = runEnd;
        else
            runs.push_back({i, runEnd});
        i = runEnd;
    }
    return runs;
}

}  // namespace

std::vector<TextEdit> diffListing(const std::string& shown, const std::string& wanted,
                                  std::size_t joinGap, std::size_t maxEdits) {
    const std::size_t shorter = std::min(shown.size(), wanted.size());
    std::size_t head = 0;
    while (head < shorter && shown[head] == wanted[head]) ++head;
    if (head == shown.size() && head == wanted.size()) return {};
    std::size_t tail = 0;
    while (tail < shorter - head && shown[shown.size() - 1 - tail] == wanted[wanted.size() - 1 - tail])
        ++tail;

    if (shown.size() != wanted.size())
        return {{head, shown.size() - head - tail, wanted.substr(head, wanted.size() - head - tail)}};

    std::vector<Run> runs = differingRuns(shown, wanted, head, shown.size() - tail, joinGap);
    if (runs.size() > maxEdits) runs = {{runs.front().begin, runs.back().end}};
    std::vector<TextEdit> edits;
    edits.reserve(runs.size());
    for (const Run& run : runs)
        edits.push_back({run.begin, run.end - run.begin, wanted.substr(run.begin, run.end - run.begin)});
    return edits;
}

bool keepsPositions(const std::vector<TextEdit>& edits) {
    return std::all_of(edits.begin(), edits.end(),
                       [](const TextEdit& edit) { return edit.removed == edit.inserted.size(); });
}

TextEdit joinRuns(const std::vector<TextEdit>& runs, std::size_t first, std::size_t last,
                  const std::string& wanted) {
    const std::size_t start = runs[first].start;
    const std::size_t length = runs[last - 1].start + runs[last - 1].removed - start;
    return {start, length, wanted.substr(start, length)};
}

std::size_t mapPosition(std::size_t position, const std::vector<TextEdit>& edits) {
    for (const TextEdit& edit : edits) {
        if (position <= edit.start) continue;
        if (position >= edit.start + edit.removed)
            position = position - edit.removed + edit.inserted.size();
        else
            position = edit.start + std::min(position - edit.start, edit.inserted.size());
    }
    return position;
}
