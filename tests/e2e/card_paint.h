// How the target app's windows look in the demo: a coloured card with a title bar of its
// own, the application's name in large type and the rule that applies to it; or the bold
// pattern of the wallpaper beneath them. The cards draw their own frame: Wine's caption
// buttons need a Marlett font that a bare prefix may lack.
#pragma once
#include <windows.h>

#include <string>

#include "seen_looks.h"

struct Card {
    std::string caption; // the window's title, in its title bar
    std::string name;    // the executable's name, shown large
    std::string lines;   // further lines, separated by '|'
    COLORREF colour;     // the background
    bool keyed;          // has a hole in its own colour key (OWN_COLOUR_KEY)
    bool wallpaper;      // the full-screen pattern instead of a card
};

void fill(HDC dc, const RECT &area, COLORREF colour);
void paint_card(HDC dc, const RECT &area, const Card &card);
void paint_wallpaper(HDC dc, const RECT &area, const Card &card);
