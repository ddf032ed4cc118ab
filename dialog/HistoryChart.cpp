// The history window's chart, a small window class of its own inside the dialog
// template: it paints the bars into a memory picture and copies that in one go (no
// flicker), takes its colours from the system (a high-contrast scheme stays readable),
// measures everything in the dialog's font (whole at any dots per inch), and moves its
// selection with the arrow keys, Home, End and the mouse.
#include "dialog/HistoryChart.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "support/GdiTally.h"

namespace {

const char kChartClass[] = "SkitteraHistoryChart";
constexpr int kMostAxisSteps = 5;
constexpr int kTickLength = 3;

// What the chart shows. One history window is open at a time (it is modal), so its
// state is process-wide like the rest of the program's.
struct ChartView {
    double unitDivisor = kCentimetres;
    HistoryBars bars;
    int selected = 0;
    HFONT font = nullptr; // the dialog's font, which the dialog manager hands the chart
};

ChartView view;

const DistanceUnit& ViewUnit() { return UnitOrCentimetres(view.unitDivisor); }

double BarValue(int index) {
    return CountedDistanceCm(view.bars.bars[index].figures.distanceCm) / ViewUnit().divisor;
}

// --- The chart's geometry ---------------------------------------------------------------

struct ChartLayout {
    RECT client{};
    RECT plot{};
    ValueAxis axis;
    int textHeight = 0;
};

// The axis labels take the room their widest text needs, the marks under the bars one
// line of text, the unit above the axis half a line more than the top label needs.
ChartLayout MeasureChart(HWND chart, HDC dc) {
    ChartLayout layout;
    GetClientRect(chart, &layout.client);
    double highest = 0;
    for (int i = 0; i < view.bars.count; ++i) {
        highest = BarValue(i) > highest ? BarValue(i) : highest;
    }
    layout.axis = ChooseValueAxis(highest, kMostAxisSteps);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    layout.textHeight = metrics.tmHeight;
    int labelWidth = 0;
    for (int k = 0; k <= layout.axis.steps; ++k) {
        char label[48];
        std::snprintf(label, sizeof label, "%.*f", layout.axis.decimals, layout.axis.step * k);
        SIZE size{};
        GetTextExtentPoint32A(dc, label, static_cast<int>(std::strlen(label)), &size);
        labelWidth = size.cx > labelWidth ? size.cx : labelWidth;
    }
    int margin = metrics.tmAveCharWidth > 2 ? metrics.tmAveCharWidth / 2 : 1;
    layout.plot.left = layout.client.left + margin + labelWidth + margin;
    layout.plot.right = layout.client.right - margin;
    layout.plot.top = layout.client.top + layout.textHeight + layout.textHeight / 2 + margin;
    layout.plot.bottom = layout.client.bottom - layout.textHeight - kTickLength - margin;
    if (layout.plot.right < layout.plot.left + 1) {
        layout.plot.right = layout.plot.left + 1;
    }
    if (layout.plot.bottom < layout.plot.top + 1) {
        layout.plot.bottom = layout.plot.top + 1;
    }
    return layout;
}

ChartLayout MeasureChart(HWND chart) {
    ChartLayout layout;
    HDC dc = GetDC(chart);
    if (dc == nullptr) {
        GetClientRect(chart, &layout.client);
        layout.plot = layout.client;
        return layout;
    }
    HGDIOBJ previousFont =
        SelectObject(dc, view.font != nullptr ? view.font : GetStockObject(DEFAULT_GUI_FONT));
    layout = MeasureChart(chart, dc);
    SelectObject(dc, previousFont);
    ReleaseDC(chart, dc);
    return layout;
}

// The slot of bar i: the plot's width shared out evenly, the rounding spread over all.
RECT BarSlot(const RECT& plot, int index, int count) {
    long width = plot.right - plot.left;
    RECT slot = plot;
    slot.left = plot.left + static_cast<long>(static_cast<long long>(width) * index / count);
    slot.right = plot.left + static_cast<long>(static_cast<long long>(width) * (index + 1) / count);
    return slot;
}

RECT BarRect(const ChartLayout& layout, int index) {
    RECT bar = BarSlot(layout.plot, index, view.bars.count);
    long gap = (bar.right - bar.left) / 6;
    bar.left += gap > 0 ? gap : 1;
    bar.right -= gap > 0 ? gap : 1;
    if (bar.right <= bar.left) {
        bar.right = bar.left + 1;
    }
    // Only a record whose sums run past the largest number gives a share beyond the axis.
    double share = BarValue(index) / layout.axis.top;
    share = std::isfinite(share) && share < 1 ? share : (share > 0 ? 1 : 0);
    long height = std::lround(share * static_cast<double>(layout.plot.bottom - layout.plot.top));
    bar.top = layout.plot.bottom - height;
    return bar;
}

// --- The chart's drawing ----------------------------------------------------------------

void FillWithColour(HDC dc, const RECT& area, int colourIndex) {
    HBRUSH brush = TallyCreateSolidBrush(GetSysColor(colourIndex));
    if (brush != nullptr) {
        FillRect(dc, &area, brush);
        TallyDeleteObject(brush);
    }
}

void DrawLine(HDC dc, int style, int colourIndex, int x0, int y0, int x1, int y1) {
    HPEN pen = TallyCreatePen(style, 1, GetSysColor(colourIndex));
    if (pen == nullptr) {
        return;
    }
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, previous);
    TallyDeleteObject(pen);
}

// The gridlines at every step with their values, the unit above them.
void DrawValueAxis(HDC dc, const ChartLayout& layout) {
    long height = layout.plot.bottom - layout.plot.top;
    for (int k = 0; k <= layout.axis.steps; ++k) {
        int y = static_cast<int>(layout.plot.bottom - height * k / layout.axis.steps);
        if (k > 0) {
            DrawLine(dc, PS_DOT, COLOR_GRAYTEXT, layout.plot.left, y, layout.plot.right, y);
        }
        char label[48];
        std::snprintf(label, sizeof label, "%.*f", layout.axis.decimals, layout.axis.step * k);
        RECT place{layout.client.left, y - layout.textHeight / 2, layout.plot.left - 3,
                   y - layout.textHeight / 2 + layout.textHeight};
        DrawTextA(dc, label, -1, &place, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    RECT unitPlace{layout.client.left, layout.client.top + 1, layout.plot.left - 3,
                   layout.client.top + 1 + layout.textHeight};
    DrawTextA(dc, ViewUnit().abbreviation, -1, &unitPlace,
              DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    DrawLine(dc, PS_SOLID, COLOR_GRAYTEXT, layout.plot.left, layout.plot.bottom, layout.plot.right,
             layout.plot.bottom);
}

// The marks under the bars, from today's back: a mark that would run into one already
// drawn to its right, or out of the chart, is left out, so today's always shows.
void DrawMarks(HDC dc, const ChartLayout& layout) {
    long freeRight = layout.client.right;
    for (int i = view.bars.count - 1; i >= 0; --i) {
        char mark[32];
        FormatBarMark(view.bars, i, mark, sizeof mark);
        if (mark[0] == '\0') {
            continue;
        }
        RECT slot = BarSlot(layout.plot, i, view.bars.count);
        long centre = (slot.left + slot.right) / 2;
        SIZE size{};
        GetTextExtentPoint32A(dc, mark, static_cast<int>(std::strlen(mark)), &size);
        long left = centre - size.cx / 2;
        left = left + size.cx > layout.client.right ? layout.client.right - size.cx : left;
        if (left + size.cx > freeRight || left < layout.plot.left - size.cx / 2) {
            continue;
        }
        DrawLine(dc, PS_SOLID, COLOR_GRAYTEXT, static_cast<int>(centre), layout.plot.bottom + 1,
                 static_cast<int>(centre), layout.plot.bottom + 1 + kTickLength);
        TextOutA(dc, static_cast<int>(left), layout.plot.bottom + 1 + kTickLength, mark,
                 static_cast<int>(std::strlen(mark)));
        freeRight = left - 2;
    }
}

// The bars in the window's text colour, the selected one in the selection colour: the
// pairs a high-contrast scheme keeps apart. A selected bar of 0 is a line on the base.
void DrawBars(HDC dc, const ChartLayout& layout, bool focused) {
    for (int i = 0; i < view.bars.count; ++i) {
        RECT bar = BarRect(layout, i);
        bool selected = i == view.selected;
        if (selected && bar.bottom - bar.top < 2) {
            bar.top = bar.bottom - 2;
        }
        if (bar.bottom > bar.top) {
            FillWithColour(dc, bar, selected ? COLOR_HIGHLIGHT : COLOR_WINDOWTEXT);
        }
    }
    if (focused && view.bars.count > 0) {
        RECT slot = BarSlot(layout.plot, view.selected, view.bars.count);
        slot.top = layout.plot.top - 1;
        slot.bottom = layout.plot.bottom + 1;
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        DrawFocusRect(dc, &slot);
    }
}

void PaintChart(HWND chart) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(chart, &paint);
    if (target == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(chart, &client);
    int width = client.right > 0 ? client.right : 1;
    int height = client.bottom > 0 ? client.bottom : 1;
    HDC memory = TallyCreateCompatibleDC(target);
    HBITMAP picture = memory != nullptr ? TallyCreateCompatibleBitmap(target, width, height) : nullptr;
    if (picture != nullptr) {
        HGDIOBJ previousPicture = SelectObject(memory, picture);
        HGDIOBJ previousFont =
            SelectObject(memory, view.font != nullptr ? view.font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
        FillWithColour(memory, client, COLOR_WINDOW);
        ChartLayout layout = MeasureChart(chart, memory);
        DrawValueAxis(memory, layout);
        DrawMarks(memory, layout);
        DrawBars(memory, layout, GetFocus() == chart);
        BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previousFont);
        SelectObject(memory, previousPicture);
    }
    TallyDeleteObject(picture);
    if (memory != nullptr) {
        TallyDeleteDC(memory);
    }
    EndPaint(chart, &paint);
}

// --- The chosen bar -----------------------------------------------------------------------

// The window's line under the chart tells the chosen bar's period and figures.
void ShowSelectedBar(HWND dialog) {
    char text[kHistoryTextCapacity] = "";
    if (view.bars.count > 0) {
        FormatBarDescription(view.bars.bars[view.selected], view.bars.period, ViewUnit().divisor, text,
                             sizeof text);
    }
    SetDlgItemTextA(dialog, IDC_HISTORY_SELECTED, text);
}

void Select(HWND chart, int index) {
    if (view.bars.count == 0) {
        return;
    }
    index = index < 0 ? 0 : (index >= view.bars.count ? view.bars.count - 1 : index);
    if (index != view.selected) {
        view.selected = index;
        InvalidateRect(chart, nullptr, FALSE);
    }
    ShowSelectedBar(GetParent(chart));
}

void SelectAt(HWND chart, int x) {
    RECT plot = HistoryChartPlot(chart);
    if (view.bars.count == 0 || x < plot.left || x >= plot.right) {
        return;
    }
    Select(chart, static_cast<int>(static_cast<long long>(x - plot.left) * view.bars.count /
                                   (plot.right - plot.left)));
}

bool MoveSelection(HWND chart, WPARAM key) {
    switch (key) {
    case VK_LEFT:
        Select(chart, view.selected - 1);
        return true;
    case VK_RIGHT:
        Select(chart, view.selected + 1);
        return true;
    case VK_HOME:
        Select(chart, 0);
        return true;
    case VK_END:
        Select(chart, view.bars.count - 1);
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintChart(chart);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_KEYDOWN:
        if (MoveSelection(chart, wParam)) {
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS; // the dialog manager leaves the arrow keys to the chart
    case WM_LBUTTONDOWN:
        SetFocus(chart);
        SelectAt(chart, static_cast<short>(LOWORD(lParam)));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(chart, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        view.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0) {
            InvalidateRect(chart, nullptr, FALSE);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(view.font);
    default:
        break;
    }
    return DefWindowProcA(chart, message, wParam, lParam);
}

} // namespace

bool RegisterHistoryChart(HINSTANCE instance) {
    WNDCLASSA chartClass{};
    if (GetClassInfoA(instance, kChartClass, &chartClass)) {
        return true;
    }
    chartClass.style = CS_HREDRAW | CS_VREDRAW;
    chartClass.lpfnWndProc = ChartProc;
    chartClass.hInstance = instance;
    chartClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    chartClass.lpszClassName = kChartClass;
    return RegisterClassA(&chartClass) != 0;
}

void ShowChartBars(HWND chart, const HistoryBars& bars, double unitDivisor) {
    view.bars = bars;
    view.unitDivisor = unitDivisor;
    view.selected = view.bars.count > 0 ? view.bars.count - 1 : 0;
    InvalidateRect(chart, nullptr, FALSE);
    ShowSelectedBar(GetParent(chart));
}

void ForgetChartBars() { view = ChartView(); }

RECT HistoryChartPlot(HWND chart) { return MeasureChart(chart).plot; }
