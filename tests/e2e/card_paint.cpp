#include "card_paint.h"

void fill(HDC dc, const RECT &area, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

namespace {

const int TITLE_BAR_HEIGHT = 30;

// Writes text in colour, in Tahoma of that height, at top, from left; answers the line's
// height.
int write_line(HDC dc, int left, int top, const std::string &text, int height, bool bold,
               COLORREF colour = RGB(255, 255, 255))
{
    HFONT font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutA(dc, left, top, text.c_str(), (int)text.size());
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    return metrics.tmHeight;
}

COLORREF darker(COLORREF colour)
{
    return RGB(GetRValue(colour) / 2, GetGValue(colour) / 2, GetBValue(colour) / 2);
}

// A title bar with the caption and three button boxes, and a thin frame round the card.
void paint_frame(HDC dc, const RECT &area, const Card &card)
{
    RECT bar = {area.left, area.top, area.right, area.top + TITLE_BAR_HEIGHT};
    fill(dc, bar, darker(card.colour));
    for (int i = 1; i <= 3; ++i) {
        int right = area.right - 8 - (i - 1) * 26;
        RECT button = {right - 20, area.top + 6, right, area.top + TITLE_BAR_HEIGHT - 6};
        fill(dc, button, RGB(230, 230, 230));
    }
    HBRUSH edge = CreateSolidBrush(RGB(230, 230, 230));
    FrameRect(dc, &area, edge);
    DeleteObject(edge);
    write_line(dc, area.left + 10, area.top + 6, card.caption, 16, true);
}

}  // namespace

void paint_card(HDC dc, const RECT &area, const Card &card)
{
    fill(dc, area, card.colour);
    paint_frame(dc, area, card);
    if (card.keyed) {
        // A band at the bottom in the window's own colour key: the window shows a hole there
        // whatever Lumivane does to it.
        RECT band = {area.left + 24, area.bottom - 48, area.right - 24, area.bottom - 16};
        fill(dc, band, OWN_COLOUR_KEY);
    }
    int top = area.top + TITLE_BAR_HEIGHT + 14;
    top += write_line(dc, area.left + 24, top, card.name, 52, true) + 8;
    size_t start = 0;
    while (start <= card.lines.size()) {
        size_t end = card.lines.find('|', start);
        if (end == std::string::npos)
            end = card.lines.size();
        top += write_line(dc, area.left + 24, top, card.lines.substr(start, end - start), 22,
                          false);
        start = end + 1;
    }
}

void paint_wallpaper(HDC dc, const RECT &area, const Card &card)
{
    // A checkerboard in strong contrast: whatever is translucent above it lets it through.
    const int square = 64;
    for (int y = area.top; y < area.bottom; y += square) {
        for (int x = area.left; x < area.right; x += square) {
            bool dark = ((x / square) + (y / square)) % 2 == 0;
            RECT cell = {x, y, x + square, y + square};
            fill(dc, cell, dark ? RGB(20, 20, 28) : RGB(240, 224, 96));
        }
    }
    RECT label = {area.left, area.bottom - 70, area.right, area.bottom};
    fill(dc, label, RGB(20, 20, 28));
    write_line(dc, area.left + 24, area.bottom - 52, card.name + ": " + card.lines, 26, true,
               RGB(240, 224, 96));
}
