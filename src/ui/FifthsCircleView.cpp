#include "ui/FifthsCircleView.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <type_traits>

#include "base/WideText.h"
#include "resource.h"
#include "shell/Resources.h"
#include "tuning/NoteNames.h"
#include "ui/FifthsCircleLayout.h"

namespace {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using GdiHandle = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

struct DcDeleter {
    void operator()(HDC context) const { DeleteDC(context); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// An object selected into a context for one scope, the previous one put back
// at its end.
class Selection {
public:
    Selection(HDC context, HGDIOBJ object) : context_(context), previous_(SelectObject(context, object)) {}
    ~Selection() { SelectObject(context_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC context_;
    HGDIOBJ previous_;
};

COLORREF colorOf(const Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// Text on a white window needs a darker shade than a line does.
COLORREF textColorOf(const Rgb& rgb) {
    return RGB(rgb.red * 7 / 10, rgb.green * 7 / 10, rgb.blue * 7 / 10);
}

GdiHandle<HPEN> solidPen(COLORREF color, int width) {
    LOGBRUSH brush{BS_SOLID, color, 0};
    return GdiHandle<HPEN>(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_ROUND, static_cast<DWORD>(std::max(width, 1)),
                                        &brush, 0, nullptr));
}

POINT pixel(const CirclePoint& point) {
    return {static_cast<LONG>(std::lround(point.x)), static_cast<LONG>(std::lround(point.y))};
}

void ring(HDC context, const FifthsCircleLayout& layout, double radius) {
    const auto r = static_cast<int>(std::lround(radius));
    const POINT c = pixel(layout.centre);
    Selection noFill(context, GetStockObject(NULL_BRUSH));
    Ellipse(context, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
}

void line(HDC context, const CirclePoint& from, const CirclePoint& to) {
    const POINT a = pixel(from), b = pixel(to);
    MoveToEx(context, a.x, a.y, nullptr);
    LineTo(context, b.x, b.y);
}

void centredText(HDC context, const std::string& text, const CirclePoint& at, COLORREF color) {
    SetTextColor(context, color);
    RECT box{static_cast<LONG>(at.x) - 100, static_cast<LONG>(at.y) - 50, static_cast<LONG>(at.x) + 100,
             static_cast<LONG>(at.y) + 50};
    const std::wstring wide = wideFromUtf8(text);
    DrawTextW(context, wide.c_str(), static_cast<int>(wide.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

// The arc of one fifth along the ring, stopping short of the two names.
void fifthArc(HDC context, const FifthsCircleLayout& layout, int position, double gapPositions) {
    const double from = position + gapPositions, to = position + 1 - gapPositions;
    constexpr int kSteps = 16;
    POINT points[kSteps + 1];
    for (int i = 0; i <= kSteps; ++i)
        points[i] = pixel(pointOnCircle(layout, layout.noteRadius, from + (to - from) * i / kSteps));
    Polyline(context, points, kSteps + 1);
}

// One legend line, centred: a title, then items of a short stroke and a word.
struct LegendItem {
    HPEN pen;
    std::string word;
};

void legendLine(HDC context, const FifthsCircleLayout& layout, int width, double top, const std::string& title,
                const LegendItem* items, int count, int textHeight) {
    const int stroke = textHeight * 3 / 2, gap = textHeight / 2;
    SIZE size{};
    int total = 0;
    const auto measure = [&](const std::string& text) {
        const std::wstring wide = wideFromUtf8(text);
        GetTextExtentPoint32W(context, wide.c_str(), static_cast<int>(wide.size()), &size);
        return wide;
    };
    measure(title);
    total += size.cx + gap;
    for (int i = 0; i < count; ++i) {
        measure(items[i].word);
        total += stroke + gap / 2 + size.cx + gap;
    }
    int x = std::max((width - total) / 2, 0);
    const int y = static_cast<int>(top + layout.lineHeight / 2);
    SetTextColor(context, GetSysColor(COLOR_WINDOWTEXT));
    auto word = [&](const std::string& text) {
        const std::wstring wide = measure(text);
        TextOutW(context, x, y - size.cy / 2, wide.c_str(), static_cast<int>(wide.size()));
        x += size.cx + gap;
    };
    word(title);
    for (int i = 0; i < count; ++i) {
        Selection pen(context, items[i].pen);
        MoveToEx(context, x, y, nullptr);
        LineTo(context, x + stroke, y);
        x += stroke + gap / 2;
        word(items[i].word);
    }
}

struct Fonts {
    GdiHandle<HFONT> bold;
    HFONT normal = nullptr;
    int textHeight = 12;
};

Fonts fontsFor(HWND control, HDC context) {
    Fonts fonts;
    fonts.normal = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
    if (!fonts.normal) fonts.normal = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font{};
    if (GetObjectW(fonts.normal, sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        fonts.bold.reset(CreateFontIndirectW(&font));
    }
    Selection select(context, fonts.normal);
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(context, &metrics)) fonts.textHeight = metrics.tmHeight;
    return fonts;
}

void drawAll(HDC context, HWND control, int width, int height, const TuningAnalysis* analysis) {
    RECT whole{0, 0, width, height};
    FillRect(context, &whole, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(context, TRANSPARENT);
    const Fonts fonts = fontsFor(control, context);
    const FifthsCircleLayout layout = layOutFifthsCircle(width, height, fonts.textHeight);
    const int thin = std::max(1, fonts.textHeight / 12);
    const int thick = std::max(2, fonts.textHeight / 4);

    // The reference rings: the pure third solid, the equal third dotted.
    const GdiHandle<HPEN> pureRing = solidPen(colorOf(thirdColour(0)), thin);
    const GdiHandle<HPEN> equalRing(CreatePen(PS_DOT, 1, RGB(120, 120, 120)));
    {
        Selection pen(context, pureRing.get());
        ring(context, layout, layout.pureThirdRadius);
    }
    {
        Selection pen(context, equalRing.get());
        ring(context, layout, layout.equalThirdRadius);
    }

    if (analysis) {
        for (const IntervalAnalysis& third : analysis->thirds) {
            const Rgb colour = thirdColour(third.deviationCents);
            const GdiHandle<HPEN> pen = solidPen(colorOf(colour), thick);
            const GdiHandle<HBRUSH> fill(CreateSolidBrush(colorOf(colour)));
            const double position = circlePosition(third.lower);
            const double reach = thirdMarkRadius(layout, third.deviationCents);
            Selection usePen(context, pen.get());
            line(context, pointOnCircle(layout, layout.pureThirdRadius, position),
                 pointOnCircle(layout, reach, position));
            Selection useFill(context, fill.get());
            const POINT end = pixel(pointOnCircle(layout, reach, position));
            Ellipse(context, end.x - thick, end.y - thick, end.x + thick + 1, end.y + thick + 1);
        }
    }

    // The fifths along the ring, each labelled outside it.
    const double gap = 0.8 * fonts.textHeight / std::max(layout.noteRadius, 1.0) * 6 / kPi;
    {
        Selection font(context, fonts.normal);
        for (int k = 0; k < 12; ++k) {
            const IntervalAnalysis* fifth = analysis ? &analysis->fifths[k] : nullptr;
            const Rgb colour = fifth ? fifthColour(fifth->deviationCents) : Rgb{190, 190, 190};
            const double deviation = fifth ? std::fabs(fifth->deviationCents) : 0;
            // Tempered fifths are drawn bolder, up to twice as bold from a quarter comma on.
            const int penWidth = fifth && deviation > 0.05
                                     ? thick + static_cast<int>(std::min(deviation / 5.865, 1.0) * thick)
                                     : thin + 1;
            const GdiHandle<HPEN> pen = solidPen(colorOf(colour), penWidth);
            Selection usePen(context, pen.get());
            fifthArc(context, layout, k, gap);
            if (fifth)
                centredText(context, fifthLabel(*fifth), pointOnCircle(layout, layout.labelRadius, k + 0.5),
                            textColorOf(colour));
        }
    }
    {
        Selection font(context, fonts.bold ? fonts.bold.get() : fonts.normal);
        for (int k = 0; k < 12; ++k)
            centredText(context, pitchClassName(7 * k % 12), pointOnCircle(layout, layout.noteRadius, k),
                        GetSysColor(COLOR_WINDOWTEXT));
    }

    Selection font(context, fonts.normal);
    const GdiHandle<HPEN> pure = solidPen(colorOf(fifthColour(0)), thick);
    const GdiHandle<HPEN> narrow = solidPen(colorOf(fifthColour(-5.865)), thick);
    const GdiHandle<HPEN> wide = solidPen(colorOf(fifthColour(5.865)), thick);
    const LegendItem fifths[] = {{pure.get(), loadResourceString(IDS_CIRCLE_PURE)},
                                 {narrow.get(), loadResourceString(IDS_CIRCLE_NARROW)},
                                 {wide.get(), loadResourceString(IDS_CIRCLE_WIDE)}};
    legendLine(context, layout, width, layout.legendTop, loadResourceString(IDS_CIRCLE_FIFTHS), fifths, 3,
               fonts.textHeight);
    const LegendItem thirds[] = {{pureRing.get(), loadResourceString(IDS_CIRCLE_PURE)},
                                 {equalRing.get(), loadResourceString(IDS_CIRCLE_EQUAL)}};
    legendLine(context, layout, width, layout.legendTop + layout.lineHeight, loadResourceString(IDS_CIRCLE_THIRDS),
               thirds, 2, fonts.textHeight);
}

}  // namespace

void drawFifthsCircle(const DRAWITEMSTRUCT& item, const TuningAnalysis* analysis) {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (width <= 0 || height <= 0) return;
    MemoryDc buffer(CreateCompatibleDC(item.hDC));
    const GdiHandle<HBITMAP> bitmap(CreateCompatibleBitmap(item.hDC, width, height));
    if (!buffer || !bitmap) return;
    {
        Selection target(buffer.get(), bitmap.get());
        drawAll(buffer.get(), item.hwndItem, width, height, analysis);
        BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, buffer.get(), 0, 0, SRCCOPY);
    }
}
