#include "ui/SongCommand.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/FileReplacement.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "song/SongBends.h"
#include "song/SongNames.h"
#include "song/SongTuning.h"
#include "song/TuningBends.h"
#include "base/LoadFileBytes.h"
#include "ui/FileDialog.h"
#include "ui/TuningReports.h"

namespace {

constexpr std::size_t kListedResets = 8;  // more are counted, not listed

std::string milliseconds(double ms) { return std::to_string(std::llround(ms)); }

constexpr KindLine<SysexKind> kResetNames[] = {
    {SysexKind::GsReset, IDS_SONG_RESET_NAMES, 0},      {SysexKind::GsSystemMode, IDS_SONG_RESET_NAMES, 1},
    {SysexKind::XgSystemOn, IDS_SONG_RESET_NAMES, 2},   {SysexKind::XgAllParameterReset, IDS_SONG_RESET_NAMES, 3},
    {SysexKind::GmSystemOn, IDS_SONG_RESET_NAMES, 4},   {SysexKind::GmSystemOff, IDS_SONG_RESET_NAMES, 5},
    {SysexKind::Gm2SystemOn, IDS_SONG_RESET_NAMES, 6},
};
static_assert(wordsEveryKindOnce(kResetNames, static_cast<int>(SysexKind::GsReset),
                                 static_cast<int>(SysexKind::Gm2SystemOn)),
              "a name for every reset");

std::string japaneseResetName(SysexKind kind) { return kindLine(kResetNames, kind); }

std::string resetsLine(const SongSummary& summary) {
    if (summary.resets.empty()) return loadResourceString(IDS_SONG_NO_RESET);
    std::string items;
    for (std::size_t i = 0; i < summary.resets.size() && i < kListedResets; ++i) {
        const SongReset& reset = summary.resets[i];
        items += (i == 0 ? "" : loadResourceString(IDS_LIST_SEPARATOR)) + fillIn(loadResourceString(IDS_SONG_RESET_ITEM),
                                              {japaneseResetName(reset.kind), milliseconds(reset.ms),
                                               std::to_string(reset.track + 1)});
    }
    if (summary.resets.size() > kListedResets)
        items += loadResourceString(IDS_LIST_SEPARATOR) + fillIn(loadResourceString(IDS_SONG_MORE_RESETS),
                              {std::to_string(summary.resets.size() - kListedResets)});
    return fillIn(loadResourceString(IDS_SONG_RESETS), {items});
}

// The box's text: the song, what it is, its resets, where the tuning goes
// and everything else that changes, one line each.
std::string summaryText(const SongSummary& summary, const std::string& path) {
    const auto line = [](UINT id, std::initializer_list<std::string> arguments) {
        return fillIn(loadResourceString(id), arguments) + "\n";
    };
    std::string text = path + "\n\n";
    text += fillIn(loadResourceString(IDS_SONG_FORMAT), {std::to_string(summary.format), std::to_string(summary.tracks)});
    text += (summary.wrapped ? loadResourceString(IDS_SONG_WRAPPED) : std::string()) + "\n";
    text += resetsLine(summary) + "\n";
    const std::string track = std::to_string(summary.tuningTrack + 1);
    const std::string messages = std::to_string(summary.messages);
    if (summary.afterReset)
        text += line(IDS_SONG_TUNING_AFTER_RESET, {track, milliseconds(summary.firstTuningMs), messages,
                                                   japaneseResetName(summary.resets[summary.setUpReset].kind)});
    else
        text += line(IDS_SONG_TUNING_AT_START, {track, milliseconds(summary.firstTuningMs), messages});
    if (summary.shiftTicks != 0) text += line(IDS_SONG_SHIFT, {milliseconds(summary.shiftMs)});
    if (summary.removedTuning != 0) text += line(IDS_SONG_REMOVED, {std::to_string(summary.removedTuning)});
    if (summary.laterTuning != 0) text += line(IDS_SONG_LATER_TUNING, {std::to_string(summary.laterTuning)});
    if (summary.retunedResets != 0) text += line(IDS_SONG_RETUNED, {std::to_string(summary.retunedResets)});
    for (const SongGapWarning& warning : summary.gapWarnings)
        text += line(IDS_SONG_GAP_WARNING, {milliseconds(warning.resetMs), std::to_string(warning.notes)});
    return text + "\n" + loadResourceString(IDS_SONG_CONFIRM);
}

std::string channelList(uint16_t channels) {
    std::string list;
    for (int c = 0; c < 16; ++c)
        if (channels & (1u << c)) list += (list.empty() ? "" : loadResourceString(IDS_LIST_SEPARATOR)) + std::to_string(c + 1);
    return list;
}

// m:ss.s
std::string songTime(double ms) {
    const long tenths = std::lround(ms / 100);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%ld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

std::string bendSummaryText(const SongBendSummary& summary, const std::string& path) {
    const auto line = [](UINT id, std::initializer_list<std::string> arguments) {
        return fillIn(loadResourceString(id), arguments) + "\n";
    };
    std::string text = path + "\n\n";
    text += fillIn(loadResourceString(IDS_SONG_FORMAT), {std::to_string(summary.format), std::to_string(summary.tracks)});
    text += (summary.wrapped ? loadResourceString(IDS_SONG_WRAPPED) : std::string()) + "\n";
    text += line(IDS_SONG_BEND_METHOD, {std::to_string(summary.bendRange)});
    if (summary.retunedChannels == 0) text += line(IDS_SONG_BEND_NO_NOTES, {});
    else text += line(IDS_SONG_BEND_CHANNELS, {channelList(summary.retunedChannels)});
    if (summary.borrowedChannels != 0) text += line(IDS_SONG_BEND_BORROWED, {channelList(summary.borrowedChannels)});
    const OffPitchNotes& off = summary.offPitch;
    if (off.notes != 0) {
        char cents[32];
        std::snprintf(cents, sizeof cents, "%.1f", off.largestCents);
        text += line(IDS_SONG_BEND_OFF_PITCH, {std::to_string(off.notes), cents, songTime(off.firstMs),
                                               std::to_string(off.firstChannel + 1)});
    }
    if (summary.clippedBends != 0) text += line(IDS_SONG_BEND_CLIPPED, {std::to_string(summary.clippedBends)});
    if (summary.removedTuning != 0) text += line(IDS_SONG_REMOVED, {std::to_string(summary.removedTuning)});
    if (summary.laterResets != 0) text += line(IDS_SONG_BEND_AGAIN, {std::to_string(summary.laterResets)});
    if (summary.gapNotes != 0) text += line(IDS_SONG_BEND_GAP_WARNING, {std::to_string(summary.gapNotes)});
    return text + "\n" + loadResourceString(IDS_SONG_CONFIRM);
}

// The song written with the window's tuning as pitch bends of the channels
// ticked, as the chosen format and form send it (tuningBendOptions).
SongBendResult bendWithListing(const std::string& bytes) {
    SongBendOptions options =
        tuningBendOptions(currentTuning, static_cast<TuningFormat>(midiFormat), static_cast<MtsForm>(mtsForm));
    options.channels = static_cast<uint16_t>(midiPartOrChannel & 0xFFFF);
    return bendSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), options);
}

// What to save, once the user has seen the summary and said OK; empty when
// not, or when the song cannot be read (the error shown).
struct SongToSave {
    bool go = false;
    bool wrapped = false;
    std::vector<uint8_t> bytes;
};

template <class Result>
SongToSave confirm(Result result, const std::string& text, const std::string& path, const std::string& caption) {
    if (!result.ok()) {
        showReadError(mainWindow, midiFaultText(result.error, path));
        return {};
    }
    if (centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return {};
    return {true, result.summary.wrapped, std::move(result.bytes)};
}

}  // namespace

bool loadSong(const std::string& path, std::string& bytes) {
    const LoadFileError error = loadFileBytes(path, kMaxSongFileBytes, bytes).error;
    if (error == LoadFileError::TooLarge)
        showReadError(mainWindow, loadResourceString(IDS_SONG_TOO_LARGE) + "\n\n" + path);
    else if (error != LoadFileError::None)
        showReadError(mainWindow, loadErrorText(error, path));
    return error == LoadFileError::None;
}

void runSongCommand() {
    // Greyed commands can still arrive where accelerators ignore the menu state.
    if (sysexLength == 0) return;
    std::string path;
    std::string bytes;
    if (chooseFileToOpen(mainWindow, IDS_TITLE_OPEN_SONG, IDS_FILTER_SONG, path) && loadSong(path, bytes))
        runSongCommandWith(path, bytes);
}

void runSongCommandWith(const std::string& path, const std::string& bytes) {
    const std::string caption = loadResourceString(IDS_SONG_CAPTION);
    if (sysexLength == 0) {
        const std::string text = loadResourceString(IDS_SONG_NO_TUNING);
        centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
        return;
    }
    SongToSave song;
    if (songMethod == kSongMethodPitchBend) {
        SongBendResult result = bendWithListing(bytes);
        const std::string text = result.ok() ? bendSummaryText(result.summary, path) : std::string();
        song = confirm(std::move(result), text, path, caption);
    } else {
        SongTuningOptions options;
        options.resetGapMs = static_cast<uint32_t>(songResetGap);
        options.messageGapMs = static_cast<uint32_t>(songMessageGap);
        options.tunedChannels = static_cast<uint16_t>(midiPartOrChannel & 0xFFFF);
        SongTuningResult result = tuneSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                           sysexBuffer, tuningMessagesLength(), options);
        const std::string text = result.ok() ? summaryText(result.summary, path) : std::string();
        song = confirm(std::move(result), text, path, caption);
    }
    if (!song.go) return;

    // Centres the save dialog, its overwrite question and any error box.
    CenteringScope scope(GetCurrentThreadId());
    const bool wrapped = song.wrapped;
    std::string target;
    if (!chooseFile(FileDialogKind::Save, mainWindow, IDS_TITLE_SAVE_SONG,
                    wrapped ? IDS_FILTER_SAVE_RMI : IDS_FILTER_SAVE_SONG, wrapped ? "rmi" : "mid", target,
                    tunedSongPath(path, wrapped)))
        return;
    if (const SystemError error = writeFileReplacing(target, song.bytes.data(), song.bytes.size()))
        reportSystemError(mainWindow, error);
}
