#include "ui/PresetCommands.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/Cp932Text.h"
#include "resource.h"
#include "settings/Presets.h"
#include "shell/AppState.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "tuning/ResolveTuning.h"
#include "ui/SysexView.h"
#include "ui/TuningChanges.h"

namespace {

// The text of the selected list item as Preset.ini spells it (code page
// 932), or false when none is selected or its text is empty.
bool selectedPresetName(int& index, std::string& name) {
    index = static_cast<int>(SendMessageW(presetCombo, CB_GETCURSEL, 0, 0));
    if (index == CB_ERR) return false;
    const std::string text = comboItem(presetCombo, index);
    return !text.empty() && cp932FromUtf8(text, name);
}

int askWarning(UINT question) {
    const std::string text = loadResourceString(question);
    const std::string caption = loadResourceString(IDS_WARNING_CAPTION);
    return centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING);
}

}  // namespace

void fillPresetList() {
    for (const IniSection& section : presetFile.sections())
        addComboItem(presetCombo, utf8FromCp932(section.name));
}

void pickPreset() {
    int index = 0;
    std::string name;
    if (!selectedPresetName(index, name) || !presetFile.hasSection(name)) return;

    dumpPresetName = name;
    const PresetOffsets offsets = readPresetOffsets(presetFile, name);
    const PresetExactTuning exact = readPresetExactTuning(presetFile, name, offsets);
    ScaleOffsets edits;
    for (int k = 0; k < 12; ++k) edits[k] = offsets[k];
    Tuning preset = tuningOfEdits(edits, exact.hundredths, exact.coarseSemitones);
    preset.origin.kind = TuningOriginKind::Preset;
    preset.origin.name = utf8FromCp932(name);
    setTuning(std::move(preset));
}

void savePreset() {
    const std::string typed = windowText(presetCombo);
    if (typed.empty()) return;
    // Preset.ini is code page 932 text on every system; a name it cannot
    // hold would come back as another name.
    std::string name;
    if (!cp932FromUtf8(typed, name)) {
        const std::string text = loadResourceString(IDS_PRESET_NAME_NOT_CP932);
        const std::string caption = loadResourceString(IDS_ERROR_CAPTION);
        centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_ICONERROR);
        return;
    }

    const bool existed = presetFile.hasSection(name);
    // Only a Yes goes on: a box that could not be shown gives 0.
    if (existed && askWarning(IDS_CONFIRM_OVERWRITE_PRESET) != IDYES) return;

    // Whole cents, as the forms without fractions send them (held to
    // -64..63); the exact values beside them.
    const TwelveOffsets& twelve = currentTuning.twelve;
    const ExactOffsets exact = twelve.exactOffsets();
    PresetOffsets offsets;
    for (int i = 0; i < 12; ++i) offsets[i] = std::clamp(wholeCents(exact.hundredths[i]), kMinOffset, kMaxOffset);
    writePresetOffsets(presetFile, name, offsets);
    writePresetExactTuning(presetFile, name, {twelve.exactHundredths, twelve.coarseSemitones});
    if (!existed)
        addComboItem(presetCombo, typed);
    // A bulk dump carries the name: its listing follows. Other forms' and
    // formats' listings come out the same and are left as they are.
    if (name != dumpPresetName) {
        dumpPresetName = name;
        if (midiFormat == static_cast<int32_t>(TuningFormat::GM2) &&
            static_cast<MtsForm>(mtsForm) == MtsForm::BulkDump)
            refreshSysexView();
    }
}

void deletePreset() {
    int index = 0;
    std::string name;
    if (!selectedPresetName(index, name)) return;
    if (askWarning(IDS_CONFIRM_DELETE_PRESET) != IDYES) return;
    // The list may have changed while the question was open: read it again.
    if (!selectedPresetName(index, name)) return;
    if (presetFile.deleteSection(name)) {
        SendMessageW(presetCombo, CB_DELETESTRING, index, 0);
        SetWindowTextW(presetCombo, L"");
    }
}
