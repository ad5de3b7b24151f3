#include "ui/TemperamentDialog.h"

#include <array>
#include <bitset>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/PathText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/DialogControl.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "base/LoadFileBytes.h"
#include "shell/MessageBoxes.h"
#include "tuning/KeyPitch.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/NoteNames.h"
#include "tuning/ResolveTuning.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningAnalysis.h"
#include "tuning/TuningFit.h"
#include "tuning/TuningOutputs.h"
#include "ui/FifthsCircleView.h"
#include "ui/GuardedDialogProc.h"
#include "ui/FileDialog.h"
#include "ui/ListingLook.h"
#include "ui/TuningChanges.h"
#include "ui/TuningReports.h"

namespace {

struct OpenedScale {
    std::string path;
    std::string name;  // as the window names it (scaleNameText)
    ScalaScale scale;
    std::optional<KeyboardMap> map;  // the .kbm opened for it
    std::string mapName;
};

struct Choices {
    int source = 0;  // list entry: the built-ins first, then the scales in the order opened
    int tonic = 0;
    ZeroNote zeroNote = ZeroNote::Tonic;
    std::string a4Text = "440";
    ScaleLayout layout = ScaleLayout::Automatic;  // a scale chosen without a map
};

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

std::vector<OpenedScale> openedScales;
Choices remembered;
// While the dialog is open: the tuning OK would set (twelve pitch classes)
// or hold (a keyboard tuning); none while the choices make no tuning.
std::optional<Tuning> previewedTuning;
// The circle of fifths shows what twelve pitch classes would send.
std::optional<TuningAnalysis> previewedAnalysis;
FontHandle previewFont;

constexpr int kBuiltInCount = static_cast<int>(kTemperamentCount);
static_assert(IDS_TEMPERAMENT_LAST - IDS_TEMPERAMENT_FIRST + 1 + IDS_TEMPERAMENT_MORE_LAST - IDS_TEMPERAMENT_MORE_FIRST + 1 ==
                  kBuiltInCount,
              "one name in the string table for each built-in temperament");
static_assert(IDS_LAYOUT_LAST - IDS_LAYOUT_FIRST == static_cast<int>(ScaleLayout::PitchClasses),
              "one entry in the layout list for each layout, in its order");

// The list index of the scale read from `path`, or -1 after its error box. A
// file opened again replaces its earlier entry. Whether and how the scale
// goes onto what is tuned is the preview's to say, by the choices.
int readScalaFile(HWND owner, const std::string& path) {
    std::string bytes;
    if (const LoadedFile loaded = loadFileBytes(path, kMaxScalaFileBytes, bytes); !loaded.ok()) {
        showReadError(owner, loadErrorText(loaded.error, path));
        return -1;
    }
    const ScalaReadResult scala = parseScala(bytes);
    if (!scala.ok()) {
        showReadError(owner, scalaErrorText(scala, path));
        return -1;
    }
    OpenedScale scale{path, scaleNameText(scala.scale.description, fileNameOf(path)), scala.scale, std::nullopt, {}};
    for (std::size_t i = 0; i < openedScales.size(); ++i)
        if (openedScales[i].path == path) {
            openedScales[i] = std::move(scale);
            return kBuiltInCount + static_cast<int>(i);
        }
    openedScales.push_back(std::move(scale));
    return kBuiltInCount + static_cast<int>(openedScales.size()) - 1;
}

OpenedScale* openedScale(int source) {
    if (source >= kBuiltInCount && source - kBuiltInCount < static_cast<int>(openedScales.size()))
        return &openedScales[source - kBuiltInCount];
    return nullptr;
}

// The list entry chosen, moved and tuned by the choices, as the format and
// form of the main window send it.
TuningSource sourceOf(const Choices& choices, double a4Hz) {
    TuningSource source;
    source.fit = {choices.tonic, choices.zeroNote, a4Hz, static_cast<TuningFormat>(midiFormat),
                  static_cast<MtsForm>(mtsForm)};
    if (const OpenedScale* scale = openedScale(choices.source)) {
        source.kind = TuningSourceKind::Scala;
        source.scale = scale->scale;
        source.keyboardMap = scale->map;
        source.layout = choices.layout;
        source.scaleFileName = fileNameOf(scale->path);
        source.mapFileName = scale->mapName;
        return source;
    }
    source.kind = TuningSourceKind::Temperament;
    source.temperamentId = builtInTemperaments()[choices.source >= 0 && choices.source < kBuiltInCount ? choices.source : 0].id;
    return source;
}

std::string formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The scale's size and period, the map, the degrees with their cents, then
// every key as `velmarin-cli keys` prints it, one the key-based forms hold
// at a limit (the HeldKeys notice) marked as the fit marks a note.
std::string keyboardPreviewText(const OpenedScale& scale, const KeyboardTuning& keys,
                                const std::vector<TuningNotice>& notices) {
    const std::string period = formatted("%.2f", scale.scale.pitches.back().cents);
    std::string text = fillIn(resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 0),
                              {std::to_string(scale.scale.pitches.size()), period});
    text += "\r\n" + (scale.map ? fillIn(resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 1), {scale.mapName})
                                  : resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 2));
    text += "\r\n\r\n" + resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 3);
    text += "\r\n" + formatted("%-4.0f", 0) + formatted("%12.2f", 0.0);
    for (std::size_t d = 0; d < scale.scale.pitches.size(); ++d)
        text += "\r\n" + formatted("%-4.0f", static_cast<double>(d + 1)) +
                formatted("%12.2f", scale.scale.pitches[d].cents);
    text += "\r\n\r\n" + resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 4);
    std::bitset<kKeyboardKeyCount> held;
    for (const TuningNotice& notice : notices)
        if (notice.kind == TuningNoticeKind::HeldKeys)
            for (int key : notice.items) held.set(static_cast<std::size_t>(key));
    const std::string heldMark = loadResourceString(IDS_FIT_HELD_MARK);
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        char line[64];
        if (keys.mapped[key])
            std::snprintf(line, sizeof line, "\r\n%-4d %12.4f %10.2f", key, keys.hz[key],
                          centsAboveKey(key, keys.hz[key]));
        else
            std::snprintf(line, sizeof line, "\r\n%-4d %12s %10s", key, "-", "-");
        text += line;
        if (held[static_cast<std::size_t>(key)]) text += "  " + heldMark;
    }
    return text;
}

Choices readChoices(HWND dialog) {
    Choices choices;
    choices.source = static_cast<int>(SendDlgItemMessageA(dialog, IDC_TEMPERAMENT_COMBO, CB_GETCURSEL, 0, 0));
    choices.tonic = static_cast<int>(SendDlgItemMessageA(dialog, IDC_TONIC_COMBO, CB_GETCURSEL, 0, 0));
    const LRESULT zero = SendDlgItemMessageA(dialog, IDC_ZERO_NOTE_COMBO, CB_GETCURSEL, 0, 0);
    choices.zeroNote = zero == 1 ? ZeroNote::A : ZeroNote::Tonic;
    choices.a4Text = itemText(dialog, IDC_A4_EDIT);
    const LRESULT layout = SendDlgItemMessageW(dialog, IDC_LAYOUT_COMBO, CB_GETCURSEL, 0, 0);
    if (layout > 0 && layout <= IDS_LAYOUT_LAST - IDS_LAYOUT_FIRST) choices.layout = static_cast<ScaleLayout>(layout);
    return choices;
}

// A notice below the fit report's rows.
std::string noticeText(const TuningNotice& notice) {
    if (notice.kind == TuningNoticeKind::CoarseTuning)
        return loadResourceString(IDS_FIT_COARSE) + " " + std::to_string(notice.count);
    uint32_t pitchClasses = 0;
    for (int p : notice.items) pitchClasses |= 1u << p;
    return loadResourceString(IDS_FIT_UNMAPPED) + " " + noteNameList(pitchClasses);
}

// The fit report with the string table's Japanese header and marks, the
// notes held at a limit marked in their rows, then the notes no degree
// reaches and the coarse tuning; the columns line up in the fixed-pitch
// listing font.
std::string fitPreviewText(const TuningFit& fit, const std::vector<TuningNotice>& notices) {
    const std::string heldMark = loadResourceString(IDS_FIT_HELD_MARK);
    std::string text = loadResourceString(IDS_FIT_HEADER);
    for (const FitReportRow& row : fitReportRows(fit)) {
        char line[128];
        std::snprintf(line, sizeof line, "\r\n%-4s %9s %7s %8s", row.note, row.exact.c_str(), row.sent.c_str(),
                      row.error.c_str());
        text += line;
        if (row.held) text += "  " + heldMark;
    }
    for (TuningNoticeKind kind : {TuningNoticeKind::UnmappedNotes, TuningNoticeKind::CoarseTuning})
        for (const TuningNotice& notice : notices)
            if (notice.kind == kind) text += "\r\n" + noticeText(notice);
    return text;
}

// The line over the keys when two of the scale's degrees, falling on one
// pitch class, put it there; numbered as the collide error numbers them.
std::string degreesOnKeysText(const TuningNotice& notice) {
    return fillIn(loadResourceString(IDS_DEGREES_ON_KEYS), {std::to_string(notice.items.at(0)),
                                                            std::to_string(notice.items.at(1)),
                                                            pitchClassName(notice.pitchClass)});
}

// What the preview shows of `resolved`: the fit report, the keys laid out
// (after why, where two degrees collided), or why the choices make no
// tuning; "" for a frequency out of range. `scale`: the scale chosen, none
// for a temperament.
std::string previewText(const ResolvedTuning& resolved, const OpenedScale* scale) {
    switch (resolved.error) {
    case TuningError::None: break;
    case TuningError::KeyboardTuning:
        return keyboardTuningErrorText(resolved.keyboardTuning, scale->scale, scale->map ? scale->mapName : scale->path);
    case TuningError::ScaleMap: return scaleMapErrorText(resolved.scaleMap, scale->path);
    case TuningError::Fit:
    case TuningError::UnknownTemperament: return {};
    }
    const Tuning& tuning = resolved.tuning;
    const std::string text = tuning.onKeys() ? keyboardPreviewText(*scale, tuning.keys->tuning, resolved.notices)
                                             : fitPreviewText(*tuning.fit, resolved.notices);
    const std::vector<TuningNotice>& notices = resolved.notices;
    if (!notices.empty() && notices.front().kind == TuningNoticeKind::DegreesCollide)
        return degreesOnKeysText(notices.front()) + "\r\n" + text;
    return text;
}

void updatePreview(HWND dialog) {
    const Choices choices = readChoices(dialog);
    previewedTuning.reset();
    previewedAnalysis.reset();
    const OpenedScale* scale = openedScale(choices.source);
    // A map names its own reference key and frequency.
    const bool mapped = scale && scale->map;
    for (int id : {IDC_TONIC_COMBO, IDC_ZERO_NOTE_COMBO, IDC_A4_EDIT}) EnableWindow(GetDlgItem(dialog, id), !mapped);
    EnableWindow(GetDlgItem(dialog, IDC_LAYOUT_COMBO), scale && !mapped);
    EnableWindow(GetDlgItem(dialog, IDC_OPEN_KEYBOARD_MAP), scale != nullptr);
    std::string text;
    const std::optional<double> a4Hz = parseFrequency(choices.a4Text);
    if (mapped || a4Hz) {
        ResolvedTuning resolved = resolveTuning(sourceOf(choices, a4Hz.value_or(kStandardA4Hz)));
        text = previewText(resolved, scale);
        if (resolved.ok()) previewedTuning = std::move(resolved.tuning);
    }
    if (text.empty()) text = loadResourceString(IDS_A4_OUT_OF_RANGE_380);
    setItemText(dialog, IDC_FIT_PREVIEW, text);
    if (previewedTuning && !previewedTuning->onKeys())
        previewedAnalysis = analyseTuning(pitchClassCents(*previewedTuning, CentsKind::Sent,
                                                          static_cast<TuningFormat>(midiFormat),
                                                          static_cast<MtsForm>(mtsForm)));
    InvalidateRect(GetDlgItem(dialog, IDC_FIFTHS_CIRCLE), nullptr, FALSE);
    EnableWindow(GetDlgItem(dialog, IDOK), previewedTuning.has_value());
}

void addItem(HWND dialog, int comboId, const std::string& text) {
    addComboItem(GetDlgItem(dialog, comboId), text);
}

// Beside the A4 row, under the Scala button and as wide; in the tab order
// after the Scala button.
void createKeyboardMapButton(HWND dialog) {
    addDialogControl(dialog, GetDlgItem(dialog, IDC_OPEN_SCALA), L"Button", WS_TABSTOP | BS_PUSHBUTTON,
                     IDC_OPEN_KEYBOARD_MAP, {188, 46, 256, 61}, loadResourceString(IDS_KEYBOARD_MAP_BUTTON));
}

// The layout's row between the A4 row and the preview, lined up with the
// zero note's, in the tab order after the A4 row (its edit, then "Hz").
void createLayoutRow(HWND dialog, ScaleLayout chosen) {
    const HWND hz = GetWindow(GetDlgItem(dialog, IDC_A4_EDIT), GW_HWNDNEXT);
    const HWND label = addDialogControl(dialog, hz, L"Static", SS_CENTERIMAGE, -1, {114, 63, 166, 76},
                                        loadResourceString(IDS_LAYOUT_LABEL));
    const HWND combo = addDialogControl(dialog, label, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                        IDC_LAYOUT_COMBO, {168, 63, 256, 123}, "");
    for (UINT id = IDS_LAYOUT_FIRST; id <= IDS_LAYOUT_LAST; ++id) addComboItem(combo, loadResourceString(id));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

// `chosen` is the list entry to select, or -1 for that of the last OK.
void onInitDialog(HWND dialog, int chosen) {
    for (UINT id = IDS_TEMPERAMENT_FIRST; id <= IDS_TEMPERAMENT_LAST; ++id)
        addItem(dialog, IDC_TEMPERAMENT_COMBO, loadResourceString(id));
    for (UINT id = IDS_TEMPERAMENT_MORE_FIRST; id <= IDS_TEMPERAMENT_MORE_LAST; ++id)
        addItem(dialog, IDC_TEMPERAMENT_COMBO, loadResourceString(id));
    for (const OpenedScale& scale : openedScales) addItem(dialog, IDC_TEMPERAMENT_COMBO, scale.name);
    for (int p = 0; p < 12; ++p) addItem(dialog, IDC_TONIC_COMBO, pitchClassName(p));
    addItem(dialog, IDC_ZERO_NOTE_COMBO, loadResourceString(IDS_ZERO_NOTE_TONIC));
    addItem(dialog, IDC_ZERO_NOTE_COMBO, pitchClassName(9));

    const int entries = kBuiltInCount + static_cast<int>(openedScales.size());
    const int source = chosen >= 0 && chosen < entries ? chosen : remembered.source < entries ? remembered.source : 0;
    SendDlgItemMessageA(dialog, IDC_TEMPERAMENT_COMBO, CB_SETCURSEL, static_cast<WPARAM>(source), 0);
    SendDlgItemMessageA(dialog, IDC_TONIC_COMBO, CB_SETCURSEL, static_cast<WPARAM>(remembered.tonic), 0);
    SendDlgItemMessageA(dialog, IDC_ZERO_NOTE_COMBO, CB_SETCURSEL, remembered.zeroNote == ZeroNote::A ? 1 : 0, 0);
    SendDlgItemMessageA(dialog, IDC_A4_EDIT, EM_LIMITTEXT, 16, 0);
    setItemText(dialog, IDC_A4_EDIT, remembered.a4Text);
    previewFont.reset(makeListingFont(GetDlgItem(dialog, IDC_FIT_PREVIEW)));
    createKeyboardMapButton(dialog);
    createLayoutRow(dialog, remembered.layout);
    updatePreview(dialog);
    centerWindow(nullptr, dialog);
}

void onOpenScala(HWND dialog) {
    std::string path;
    if (!chooseFileToOpen(dialog, IDS_TITLE_OPEN_SCALA, IDS_FILTER_SCALA, path)) return;
    const int index = readScalaFile(dialog, path);
    if (index < 0) return;
    HWND list = GetDlgItem(dialog, IDC_TEMPERAMENT_COMBO);
    const std::string& name = openedScales[index - kBuiltInCount].name;
    if (index < static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)))
        SendMessageA(list, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    insertComboItem(list, index, name);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    updatePreview(dialog);
}

// The map for the scale chosen in the list, which keeps it for the run.
void onOpenKeyboardMap(HWND dialog) {
    OpenedScale* scale = openedScale(readChoices(dialog).source);
    std::string path;
    if (!scale || !chooseFileToOpen(dialog, IDS_TITLE_OPEN_KBM, IDS_FILTER_KBM, path)) return;
    std::string bytes;
    if (const LoadedFile loaded = loadFileBytes(path, kMaxScalaFileBytes, bytes); !loaded.ok()) {
        showReadError(dialog, loadErrorText(loaded.error, path));
        return;
    }
    const KeyboardMapReadResult read = parseKeyboardMap(bytes);
    if (!read.ok()) {
        showReadError(dialog, keyboardMapErrorText(read, path));
        return;
    }
    if (read.tooFewKeyLines()) showReadWarning(dialog, keyboardMapWarningText(read, path));
    scale->map = read.map;
    scale->mapName = fileNameOf(path);
    updatePreview(dialog);
}

// Only the key-based forms carry a keyboard tuning: offers to switch to
// them; false when the user keeps the format.
bool switchToKeysAgreed(HWND dialog) {
    const std::string text = loadResourceString(IDS_KEYBOARD_SWITCH);
    const std::string caption = loadResourceString(IDS_CONFIRM_CAPTION);
    return centeredMessageBox(dialog, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void chooseSingleNoteForm() {
    mtsForm = static_cast<int32_t>(MtsForm::SingleNote);
    // Through the list's notification, so the part label follows.
    HWND formatCombo = GetDlgItem(mainWindow, IDC_FORMAT_COMBO);
    SendMessageA(formatCombo, CB_SETCURSEL, static_cast<WPARAM>(TuningFormat::GM2), 0);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_FORMAT_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(formatCombo));
}

void onOk(HWND dialog) {
    // Enter reaches here even while the button is disabled.
    if (!previewedTuning) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    Tuning tuning = *previewedTuning;
    const Choices choices = readChoices(dialog);
    if (!tuning.onKeys()) {
        remembered = choices;
        setTuning(std::move(tuning));
    } else {
        const bool switchForm =
            !formCarries(tuning, static_cast<TuningFormat>(midiFormat), static_cast<MtsForm>(mtsForm));
        if (switchForm && !switchToKeysAgreed(dialog)) return;
        remembered = choices;
        changeTuningOnce([&] {
            if (switchForm) chooseSingleNoteForm();
            holdKeyboardTuning(std::move(tuning));
        });
    }
    EndDialog(dialog, IDOK);
}

INT_PTR onCommand(HWND dialog, int id, int notification) {
    switch (id) {
    case IDC_TEMPERAMENT_COMBO:
    case IDC_TONIC_COMBO:
    case IDC_ZERO_NOTE_COMBO:
    case IDC_LAYOUT_COMBO:
        if (notification == CBN_SELCHANGE) updatePreview(dialog);
        return TRUE;
    case IDC_A4_EDIT:
        if (notification == EN_CHANGE) updatePreview(dialog);
        return TRUE;
    case IDC_OPEN_SCALA: onOpenScala(dialog); return TRUE;
    case IDC_OPEN_KEYBOARD_MAP: onOpenKeyboardMap(dialog); return TRUE;
    case IDOK: onOk(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    default: return FALSE;
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog, static_cast<int>(lParam));
        return TRUE;
    case WM_COMMAND:
        return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_CTLCOLORSTATIC:
        // The read-only preview would get the grey dialog background.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_FIT_PREVIEW))
            return ListingColours::fetch().paint(reinterpret_cast<HDC>(wParam));
        return FALSE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam != IDC_FIFTHS_CIRCLE) return FALSE;
        drawFifthsCircle(*item, previewedAnalysis ? &*previewedAnalysis : nullptr);
        return TRUE;
    }
    case WM_DESTROY:
        previewedTuning.reset();
        previewedAnalysis.reset();
        previewFont.reset();
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK temperamentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}

void runDialog(HWND owner, int chosen) {
    showDialog(IDD_TEMPERAMENT, owner, temperamentDialogProc, chosen);
}

}  // namespace

void showTemperamentDialog(HWND owner) { runDialog(owner, -1); }

void openScalaFile(HWND owner, const std::string& path) {
    const int index = readScalaFile(owner, path);
    if (index >= 0) runDialog(owner, index);
}
