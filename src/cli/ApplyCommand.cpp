#include "cli/ApplyCommand.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "base/FileReplacement.h"
#include "base/PathText.h"
#include "base/SystemErrorText.h"
#include "cli/CliTexts.h"
#include "song/SongNames.h"
#include "song/SongTuning.h"
#include "base/LoadFileBytes.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

std::string milliseconds(double ms) { return std::to_string(std::llround(ms)) + " ms"; }

}  // namespace

std::string songSummaryLine(const SongSummary& summary) {
    std::string line = "format " + std::to_string(summary.format) + ", " + plural(summary.tracks, "track");
    if (summary.wrapped) line += ", RIFF RMID";
    line += "; " + plural(summary.messages, "message") + " in track " + std::to_string(summary.tuningTrack + 1) +
            " at " + milliseconds(summary.firstTuningMs);
    if (summary.afterReset) {
        const SongReset& reset = summary.resets[summary.setUpReset];
        line += std::string(", after ") + resetName(reset.kind) + " at " + milliseconds(reset.ms);
    } else {
        line += ", no reset before the first note";
    }
    if (summary.shiftTicks != 0)
        line += "; music moved " + milliseconds(summary.shiftMs) + " (" + plural(summary.shiftTicks, "tick") +
                ") later";
    if (summary.removedTuning != 0) line += "; " + plural(summary.removedTuning, "old tuning message") + " removed";
    if (summary.keptTuning != 0) line += "; " + plural(summary.keptTuning, "old tuning message") + " kept";
    if (summary.laterTuning != 0)
        line += "; " + plural(summary.laterTuning, "tuning message") + " after the first note kept";
    if (summary.retunedResets != 0)
        line += "; tuning written again after " + plural(summary.retunedResets, "later reset");
    for (const SongGapWarning& warning : summary.gapWarnings)
        line += "; warning: " + plural(warning.notes, "note") + " on tuned channels before the tuning after the reset at " +
                milliseconds(warning.resetMs);
    return line;
}

namespace {

std::string channelList(uint16_t channels) {
    std::string list;
    for (int c = 0; c < 16; ++c)
        if (channels & (1u << c)) list += (list.empty() ? "" : ", ") + std::to_string(c + 1);
    return list;
}

// m:ss.s
std::string songTime(double ms) {
    const long tenths = std::lround(ms / 100);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%ld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

std::string bendSummaryLine(const SongBendSummary& summary) {
    std::string line = "format " + std::to_string(summary.format) + ", " + plural(summary.tracks, "track");
    if (summary.wrapped) line += ", RIFF RMID";
    line += "; pitch bend, range " + plural(static_cast<uint64_t>(summary.bendRange), "semitone");
    line += summary.retunedChannels == 0 ? std::string("; no notes on the retuned channels")
                                         : "; channels " + channelList(summary.retunedChannels) + " retuned";
    if (summary.borrowedChannels != 0) line += ", " + channelList(summary.borrowedChannels) + " borrowed";
    const OffPitchNotes& off = summary.offPitch;
    if (off.notes != 0) {
        char cents[32];
        std::snprintf(cents, sizeof cents, "%.1f", off.largestCents);
        line += "; " + plural(off.notes, "note") + " off pitch (no free channel), by up to " + cents +
                " cents, first at " + songTime(off.firstMs) + " on channel " + std::to_string(off.firstChannel + 1);
    }
    if (summary.clippedBends != 0) line += "; " + plural(summary.clippedBends, "bend") + " beyond the range, held at its end";
    if (summary.removedTuning != 0) line += "; " + plural(summary.removedTuning, "old tuning message") + " removed";
    if (summary.keptTuning != 0) line += "; " + plural(summary.keptTuning, "old tuning message") + " kept";
    if (summary.laterResets != 0) line += "; range and bends written again after " + plural(summary.laterResets, "later reset");
    if (summary.gapNotes != 0)
        line += "; warning: " + plural(summary.gapNotes, "note") + " between a reset and the range set after it";
    return line;
}

// What writing the tuning into one song gave.
struct Rewritten {
    SmfFault error;
    bool wrapped = false;
    std::vector<uint8_t> bytes;
    std::string summary;
};

// "done/all songs" on standard error once a batch has run a second, each
// time rewritten in place and wiped before a line of standard output.
class Progress {
public:
    Progress(bool shown, std::size_t total, std::ostream& err) : shown_(shown), total_(total), err_(err) {}
    void clear() {
        if (!visible_) return;
        err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        visible_ = false;
    }
    void show(std::size_t done) {
        if (!shown_ || std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
        const std::string text = std::to_string(done) + "/" + std::to_string(total_) + " songs";
        width_ = text.size();
        err_ << '\r' << text << std::flush;
        visible_ = true;
    }

private:
    const bool shown_;
    const std::size_t total_;
    std::ostream& err_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool visible_ = false;
    std::size_t width_ = 0;
};

std::string outputPathOf(const CliCommand& command, const std::string& song, bool wrapped) {
    if (!command.outputPath.empty()) return command.outputPath;
    const std::string& folder = command.outputFolder;
    if (folder.empty()) return tunedSongPath(song, wrapped);
    // Walked by characters: a double-byte character of code page 932 may end
    // in 5C, the byte of a backslash.
    const bool endsInSeparator = findLastSeparator(folder, "\\/", isSystemLeadByte) == folder.size() - 1;
    return folder + (endsInSeparator ? "" : "/") + fileNameOf(song);
}

// Writes one song's tuned copy; false, with the reason on `err`, when it
// cannot be done. `written` holds the outputs of the songs before: two songs
// of one name in --out-dir (or "a.mid" and "a.midi" beside each other) would
// have the second replace the first's copy, --overwrite or not.
template <class Rewrite>
bool applyToSong(const CliCommand& command, const std::string& song, const Rewrite& rewrite, std::ostream& out,
                 std::ostream& err, Progress& progress, std::set<std::string>& written) {
    const auto fail = [&](const std::string& path, const std::string& what) {
        progress.clear();
        err << kProgram << path << ": " << what << '\n';
        return false;
    };
    std::string bytes;
    const LoadedFile loaded = loadFileBytes(song, kMaxSongFileBytes, bytes);
    if (!loaded.ok()) return fail(song, loadErrorText(loaded, kMaxSongFileBytes));
    const Rewritten result = rewrite(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!result.error.ok())
        return fail(song, smfFaultText(result.error));
    const std::string target = outputPathOf(command, song, result.wrapped);
    if (written.count(target) != 0) return fail(target, "is the output of an earlier song too; not written");
    if (!command.overwrite && pathExists(target))
        return fail(target, "exists already (--overwrite replaces it)");
    if (const SystemError error = writeFileReplacing(target, result.bytes.data(), result.bytes.size()))
        return fail(target, "cannot be written: " + systemErrorText(error));
    written.insert(target);
    progress.clear();
    out << song << " -> " << target << ": " << result.summary << '\n';
    return true;
}

template <class Rewrite>
int applyToEverySong(const CliCommand& command, const Rewrite& rewrite, std::ostream& out, std::ostream& err) {
    bool allDone = true;
    Progress progress(command.showProgress, command.songPaths.size(), err);
    std::set<std::string> written;
    for (std::size_t i = 0; i < command.songPaths.size(); ++i) {
        allDone =
            applyToSong(command, command.songPaths[i], rewrite, out, err, progress, written) && allDone;
        progress.show(i + 1);
    }
    progress.clear();
    out.flush();
    return allDone && out ? kExitSuccess : kExitBadInput;
}

}  // namespace

int applyToSongs(const CliCommand& command, const uint8_t* listing, uint32_t listingLength, std::ostream& out,
                 std::ostream& err) {
    SongTuningOptions options = command.song;
    options.tunedChannels = static_cast<uint16_t>(command.parts & 0xFFFF);  // part n listens on channel n
    return applyToEverySong(command, [&](const uint8_t* song, std::size_t size) {
        SongTuningResult result = tuneSong(song, size, listing, listingLength, options);
        return Rewritten{result.error, result.summary.wrapped, std::move(result.bytes), songSummaryLine(result.summary)};
    }, out, err);
}

int applyBendsToSongs(const CliCommand& command, SongBendOptions options, std::ostream& out, std::ostream& err) {
    options.channels = static_cast<uint16_t>(command.parts & 0xFFFF);
    options.bendRange = command.bendRange;
    options.resetGapMs = command.song.resetGapMs;
    options.keepOldTuning = command.song.keepOldTuning;
    return applyToEverySong(command, [&](const uint8_t* song, std::size_t size) {
        SongBendResult result = bendSong(song, size, options);
        return Rewritten{result.error, result.summary.wrapped, std::move(result.bytes), bendSummaryLine(result.summary)};
    }, out, err);
}
