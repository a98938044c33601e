#include "held_level.h"

// A global atom like the record's: every process and every later run names the same
// property. Only a writer adds it; a reader that never wrote asks by name, which adds no
// atom (Peekster runs often and would otherwise leave a reference behind each time).
static const char HELD_LEVEL_NAME[] = "Lumivane.HeldLevel";
static ATOM s_atom;

// A mark in the high bits tells the value from anything else, the level is the low byte.
static const UINT_PTR HELD_MARK = 0x4C480000;
static const UINT_PTR MARK_MASK = 0xFFFFFF00;

static LPCSTR property_name(void)
{
    return s_atom ? MAKEINTATOM(s_atom) : HELD_LEVEL_NAME;
}

bool write_held_level(HWND window, BYTE level)
{
    if (!s_atom)
        s_atom = GlobalAddAtomA(HELD_LEVEL_NAME);
    if (!s_atom)
        return false;
    return SetPropA(window, MAKEINTATOM(s_atom), (HANDLE)(HELD_MARK | level)) != FALSE;
}

bool read_held_level(HWND window, BYTE *level)
{
    UINT_PTR value = (UINT_PTR)GetPropA(window, property_name());
    if ((value & MARK_MASK) != HELD_MARK)
        return false;
    *level = (BYTE)(value & 0xFF);
    return true;
}

void remove_held_level(HWND window)
{
    RemovePropA(window, property_name());
}
