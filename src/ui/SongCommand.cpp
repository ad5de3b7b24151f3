#include "ui/SongCommand.h"

#include <windows.h>

#include <cmath>
#include <cstdint>

#include "base/FileReplacement.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "song/SongNames.h"
#include "song/SongTuning.h"
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
    SongTuningOptions options;
    options.resetGapMs = static_cast<uint32_t>(songResetGap);
    options.messageGapMs = static_cast<uint32_t>(songMessageGap);
    options.tunedChannels = static_cast<uint16_t>(midiPartOrChannel & 0xFFFF);
    const SongTuningResult result = tuneSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                             sysexBuffer, tuningMessagesLength(), options);
    if (!result.ok()) {
        showReadError(mainWindow, midiFaultText(result.error, path));
        return;
    }
    const std::string text = summaryText(result.summary, path);
    if (centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return;

    // Centres the save dialog, its overwrite question and any error box.
    CenteringScope scope(GetCurrentThreadId());
    const bool wrapped = result.summary.wrapped;
    std::string target;
    if (!chooseFile(FileDialogKind::Save, mainWindow, IDS_TITLE_SAVE_SONG,
                    wrapped ? IDS_FILTER_SAVE_RMI : IDS_FILTER_SAVE_SONG, wrapped ? "rmi" : "mid", target,
                    tunedSongPath(path, wrapped)))
        return;
    if (const SystemError error = writeFileReplacing(target, result.bytes.data(), result.bytes.size()))
        reportSystemError(mainWindow, error);
}
