#include "ui/ListingEdit.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "shell/AppState.h"
#include "shell/MessageBoxes.h"
#include "sysex/ListingDiff.h"

namespace {

constexpr UINT_PTR kCatchUpTimer = 1;  // a timer of the listing edit itself
constexpr UINT kCatchUpDelayMs = 50;   // typing paused
// Runs are kept apart, so each is placed in or out of view on its own, and
// joined afterwards where that is cheaper.
constexpr std::size_t kRunGap = 1;
// In view, runs on neighbouring lines are joined (a line of GS is 68
// characters, of XG 28).
constexpr std::size_t kInViewJoinGap = 72;
// Out of view, runs closer than about seven lines are joined: under Wine one
// replacement costs about as much as laying out eight lines again.
constexpr std::size_t kCatchUpJoinGap = 200;
constexpr std::size_t kAnyNumberOfRuns = SIZE_MAX;

std::string shownText;        // what the edit holds
bool catchUpOwed = false;     // runs left out, or the scroll bar held
bool editingListing = false;  // our own messages to the edit are under way
bool scrollBarHeld = false;

LRESULT sendToListing(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(sysexEdit, message, wParam, lParam);
}

// While our own messages reach the edit, its procedure starts no catch-up.
class EditingListing {
public:
    EditingListing() : outer_(editingListing) { editingListing = true; }
    ~EditingListing() { editingListing = outer_; }
    EditingListing(const EditingListing&) = delete;
    EditingListing& operator=(const EditingListing&) = delete;

private:
    bool outer_;
};

// Redrawing of the listing is off for the object's life. Turning it off
// validates the edit, which would drop a repaint still owed for an earlier
// change; that part is asked for again afterwards, or the whole edit once
// repaintAll() was called.
class RedrawPause {
public:
    RedrawPause() : owed_(CreateRectRgn(0, 0, 0, 0)) {
        if (owed_) owedKind_ = GetUpdateRgn(sysexEdit, owed_, FALSE);
        sendToListing(WM_SETREDRAW, FALSE);
    }
    ~RedrawPause() {
        sendToListing(WM_SETREDRAW, TRUE);
        if (repaintAll_ || !owed_ || owedKind_ == ERROR)
            InvalidateRect(sysexEdit, nullptr, FALSE);
        else if (owedKind_ != NULLREGION)
            InvalidateRgn(sysexEdit, owed_, FALSE);
        if (owed_) DeleteObject(owed_);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

    void repaintAll() { repaintAll_ = true; }

private:
    HRGN owed_;
    int owedKind_ = ERROR;
    bool repaintAll_ = false;
};

// The edit scrolls back to `line` should something have moved it.
void keepFirstLine(LRESULT line) {
    const LRESULT now = sendToListing(EM_GETFIRSTVISIBLELINE);
    if (now != line) sendToListing(EM_LINESCROLL, 0, line - now);
}

// Under Wine the edit redraws its themed scroll bar after every replacement
// and every caret scroll, which costs more than the replacement itself. While
// the edit takes its thumb to be dragged it leaves the bar alone; letting the
// thumb go at the line in view updates the bar once. Every change of the
// listing begins here, also when the bar is still held from the last one.
// The thumb is "dragged" to where it is, and the view is checked all the
// same, for an edit that would take the position from elsewhere.
void holdScrollBar() {
    const LRESULT first = sendToListing(EM_GETFIRSTVISIBLELINE);
    sendToListing(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(first)));
    scrollBarHeld = true;
    keepFirstLine(first);
}

void releaseScrollBar() {
    if (!scrollBarHeld) return;
    scrollBarHeld = false;
    const LRESULT first = sendToListing(EM_GETFIRSTVISIBLELINE);
    sendToListing(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(first)));
    keepFirstLine(first);
}

struct View {
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    LRESULT firstLine = 0;
};

View currentView() {
    View view;
    sendToListing(EM_GETSEL, reinterpret_cast<WPARAM>(&view.selectionStart),
                  reinterpret_cast<LPARAM>(&view.selectionEnd));
    view.firstLine = sendToListing(EM_GETFIRSTVISIBLELINE);
    return view;
}

// Puts the selection back, moved through `edits`, then the first visible
// line: setting the selection scrolls to it, hence that order.
void restoreView(const View& view, const std::vector<TextEdit>& edits) {
    sendToListing(EM_SETSEL, mapPosition(view.selectionStart, edits), mapPosition(view.selectionEnd, edits));
    keepFirstLine(view.firstLine);
}

// The edit's line height is that of its font; the font is set once.
int lineHeight() {
    static int height = 0;
    if (height > 0) return height;
    if (HDC context = GetDC(sysexEdit)) {
        const HGDIOBJ old = SelectObject(context, reinterpret_cast<HGDIOBJ>(sendToListing(WM_GETFONT)));
        TEXTMETRICA metrics = {};
        if (GetTextMetricsA(context, &metrics)) height = metrics.tmHeight;
        SelectObject(context, old);
        ReleaseDC(sysexEdit, context);
    }
    return height > 0 ? height : 1;  // unknown: every line counts as in view
}

// Lines in view, the last one possibly cut off at the bottom; `lastWhole` is
// the last one shown whole, beyond which the caret makes the edit scroll.
struct LinesInView {
    LRESULT first = 0;
    LRESULT last = 0;
    LRESULT lastWhole = 0;
};

LinesInView linesInView() {
    RECT format = {};
    sendToListing(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int height = lineHeight();
    const LONG rows = format.bottom - format.top;
    LinesInView lines;
    lines.first = sendToListing(EM_GETFIRSTVISIBLELINE);
    lines.last = lines.first + (rows + height - 1) / height;
    lines.lastWhole = lines.first + rows / height - 1;
    return lines;
}

LRESULT lineOf(std::size_t position) { return sendToListing(EM_LINEFROMCHAR, position); }

// Runs [begin, end) touch a line in view; those before lie above the view,
// those after below it.
struct RunsInView {
    std::size_t begin = 0;
    std::size_t end = 0;
};

RunsInView runsInView(const std::vector<TextEdit>& runs, const LinesInView& lines) {
    RunsInView inView;
    while (inView.begin < runs.size()) {
        const TextEdit& run = runs[inView.begin];
        if (lineOf(run.start + (run.removed > 0 ? run.removed - 1 : 0)) >= lines.first) break;
        ++inView.begin;
    }
    inView.end = inView.begin;
    while (inView.end < runs.size() && lineOf(runs[inView.end].start) <= lines.last) ++inView.end;
    return inView;
}

void replaceInListing(const TextEdit& edit) {
    sendToListing(EM_SETSEL, edit.start, edit.start + edit.removed);
    sendToListing(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(edit.inserted.c_str()));
    shownText.replace(edit.start, edit.removed, edit.inserted);
}

void CALLBACK catchUpWhenTypingPauses(HWND, UINT, UINT_PTR, DWORD) { catchUpListing(); }

void owesCatchUp() {
    catchUpOwed = true;
    SetTimer(sysexEdit, kCatchUpTimer, kCatchUpDelayMs, catchUpWhenTypingPauses);
}

// A change of length (another dialect or other parts): replaced at once,
// unseen, the scroll bar redrawn once for its new range.
void reshapeListing(const TextEdit& edit, const std::string& wanted) {
    const View view = currentView();
    {
        RedrawPause pause;
        pause.repaintAll();
        if (edit.start == 0 && edit.removed == shownText.size()) {
            SetWindowTextA(sysexEdit, wanted.c_str());
            shownText = wanted;
        } else {
            replaceInListing(edit);
        }
        restoreView(view, {edit});
    }
    releaseScrollBar();
    KillTimer(sysexEdit, kCatchUpTimer);
    catchUpOwed = false;
}

// The runs in view are replaced at once, so what the user sees changes at
// once; the edit repaints just that. Runs on neighbouring lines are joined:
// selecting a range invalidates each of its lines on its own, under Wine a
// round trip each, which for a line or two costs less than a replacement of
// its own. A replacement or a selection reaching beyond the lines shown whole
// would scroll there and back, which then happens unseen.
void showRunsInView(const std::vector<TextEdit>& runs, const std::string& wanted) {
    const LinesInView lines = linesInView();
    const RunsInView inView = runsInView(runs, lines);
    if (inView.begin < inView.end) {
        const View view = currentView();
        const TextEdit& lastRun = runs[inView.end - 1];
        const LRESULT caretLine = lineOf(view.selectionEnd);
        std::optional<RedrawPause> pause;
        if (lineOf(lastRun.start + lastRun.removed) > lines.lastWhole || caretLine < lines.first ||
            caretLine > lines.lastWhole) {
            pause.emplace();
            pause->repaintAll();
        }
        for (std::size_t begin = inView.begin, end; begin < inView.end; begin = end) {
            end = begin + 1;
            while (end < inView.end &&
                   runs[end].start - (runs[end - 1].start + runs[end - 1].removed) < kInViewJoinGap)
                ++end;
            replaceInListing(joinRuns(runs, begin, end, wanted));
        }
        restoreView(view, {});
    }
    owesCatchUp();  // the runs out of view, and the scroll bar
}

void catchUp() {
    const std::vector<TextEdit> runs = diffListing(shownText, sysexText, kCatchUpJoinGap, kAnyNumberOfRuns);
    if (runs.empty()) {
        releaseScrollBar();
        return;
    }
    if (!keepsPositions(runs)) {
        reshapeListing(runs.front(), sysexText);
        return;
    }
    // Runs are only left out of view, and every scroll of the edit catches
    // up first; should some lie in view all the same, the edit is repainted.
    const View view = currentView();
    {
        RedrawPause pause;
        const RunsInView inView = runsInView(runs, linesInView());
        if (inView.begin < inView.end) pause.repaintAll();
        for (const TextEdit& run : runs) replaceInListing(run);
        restoreView(view, {});
    }
    releaseScrollBar();
}

}  // namespace

void showInListing(const std::string& wanted) {
    const std::vector<TextEdit> edits = diffListing(shownText, wanted, kRunGap, kAnyNumberOfRuns);
    if (edits.empty()) return;
    EditingListing editing;
    holdScrollBar();
    if (keepsPositions(edits))
        showRunsInView(edits, wanted);
    else
        reshapeListing(edits.front(), wanted);
}

void catchUpListing() noexcept {
    if (!catchUpOwed || editingListing) return;
    catchUpOwed = false;
    KillTimer(sysexEdit, kCatchUpTimer);
    EditingListing editing;
    try {
        catchUp();
    } catch (...) {
        // Called from window procedures, where nothing may unwind.
        reportUnexpectedError(mainWindow);
    }
}

bool handledWithoutCatchUp(UINT message) {
    switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_SYNCPAINT:
        return true;
    default:
        return false;
    }
}
