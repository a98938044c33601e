#include "window_record.h"

// The property's name. A global atom, so that every process, and every later run of the
// shell, names the same property. It is never deleted: windows may still carry records
// after the plug-in has gone (a window that was hung when the shell quit), and an atom
// whose last reference went could be handed to another name.
static const char RECORD_NAME[] = "Lumivane.Record";
static ATOM s_record_atom;

// The property's value is a number, not a pointer: a mark in the high bits tells a record
// from anything else, then the two flags and the alpha. It fits the 32 bits that a handle
// has in a 32-bit process.
static const UINT_PTR RECORD_MARK = 0x4C560000;
static const UINT_PTR MARK_MASK = 0xFFFF0000;
static const UINT_PTR LAYERED_BIT = 0x0100;
static const UINT_PTR ALPHA_FLAG_BIT = 0x0200;

// Added at the first need rather than at start-up; when the table is full the next need
// tries again.
static ATOM record_atom(void)
{
    if (!s_record_atom)
        s_record_atom = GlobalAddAtomA(RECORD_NAME);
    return s_record_atom;
}

bool write_record(HWND window, const WindowRecord *record)
{
    ATOM atom = record_atom();
    if (!atom)
        return false;
    UINT_PTR value = RECORD_MARK | record->alpha;
    if (record->layered)
        value |= LAYERED_BIT;
    if (record->alpha_flag)
        value |= ALPHA_FLAG_BIT;
    return SetPropA(window, MAKEINTATOM(atom), (HANDLE)value) != FALSE;
}

bool read_record(HWND window, WindowRecord *record)
{
    ATOM atom = record_atom();
    if (!atom)
        return false;
    UINT_PTR value = (UINT_PTR)GetPropA(window, MAKEINTATOM(atom));
    if ((value & MARK_MASK) != RECORD_MARK)
        return false;
    record->layered = (value & LAYERED_BIT) != 0;
    record->alpha = (BYTE)(value & 0xFF);
    record->alpha_flag = (value & ALPHA_FLAG_BIT) != 0;
    return true;
}

// The value is no memory of ours, so a record that is never removed leaks nothing: the
// system drops the property list with the window.
void remove_record(HWND window)
{
    ATOM atom = record_atom();
    if (atom)
        RemovePropA(window, MAKEINTATOM(atom));
}
