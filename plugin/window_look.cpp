#include "window_look.h"

#include "../common/frame_host.h"
#include "shell_waits.h"

// The record's property name. A global atom, so that every process, and every later run of
// the shell, names the same property. It is never deleted: windows may still carry records
// after the plug-in has gone (a window that was hung when the shell quit), and an atom
// whose last reference went could be handed to another name.
static const char RECORD_NAME[] = "Lumivane.Record";
static ATOM s_record_atom;

// The property's value is a number, not a pointer: a mark in the high bits tells a record
// from anything else, then the two flags and the alpha. It fits the 32 bits that a handle
// has in a 32-bit process. The value is no memory of ours, so a record that is never
// removed leaks nothing: the system drops the property list with the window.
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

// False when the record could not be written: the window must then be left alone.
static bool write_record(HWND window, const WindowRecord *record)
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

static void remove_record(HWND window)
{
    ATOM atom = record_atom();
    if (atom)
        RemovePropA(window, MAKEINTATOM(atom));
}

// A window read_look fails on is left alone, unless it was not layered before Lumivane made
// it so: Lumivane's own change, cut short between the style and the attributes when the
// shell ran other work of the plug-in inside the style change. It counts as layered with no
// attributes, so that it can be given its level or given back.
static bool cut_short(const WindowRecord *record, Look *look)
{
    if (record->layered)
        return false;
    look->has_key = false;
    return true;
}

// Sets the attributes unless the window has them already: each call recomposes the window.
// It does not wait on the window's thread.
static void set_attributes(HWND window, const Look *look, BYTE alpha, DWORD alpha_flag)
{
    DWORD flags = (look->has_key ? LWA_COLORKEY : 0) | alpha_flag;
    if (look->layered && look->alpha == alpha && look->flags == flags)
        return;
    SetLayeredWindowAttributes(window, look->has_key ? look->key : 0, alpha, flags);
}

// What the record says the window had. The record goes only once the window has it back,
// so a hung window is given back at a later event or pass.
static void give_back(HWND window, const Look *look, const WindowRecord *record)
{
    if (record->layered) {
        // A window whose owner has ended its layered state since needs nothing back.
        if (look->layered)
            set_attributes(window, look, record->alpha, record->alpha_flag ? LWA_ALPHA : 0);
    } else if (look->has_key) {
        // Its owner gave it a colour key of its own meanwhile: kept, and opaque.
        set_attributes(window, look, 255, LWA_ALPHA);
    } else if (look->layered) {
        Answer answer = window_answers(window);
        // Shut down inside the check, nothing would give an answering window back later.
        if (answer == SILENT || (answer == ANSWERED_TOO_LATE && is_waiting(window))) {
            // Given back once it answers, or by a later run; meanwhile at least opaque.
            set_attributes(window, look, 255, LWA_ALPHA);
            return;
        }
        // Plain again as it was: the record goes even when the change went stale.
        change_layered_style(window, false);
    }
    remove_record(window);
}

void give_back_recorded(HWND window, LayeredQueryFn query, const WindowRecord *record)
{
    Look look;
    if (waited_on(window))
        return;
    if (read_look(window, query, &look) || cut_short(record, &look))
        give_back(window, &look, record);
}

// False when the window may not be made translucent, and is to get back what it had.
static bool fade(HWND window, BYTE level, LayeredQueryFn query)
{
    WindowRecord record;
    Look look;
    if (!read_look(window, query, &look) &&
        !(read_record(window, &record) && cut_short(&record, &look)))
        return true;
    DWORD wanted_flags = (look.has_key ? LWA_COLORKEY : 0) | LWA_ALPHA;
    if (look.layered && query && look.alpha == level && look.flags == wanted_flags)
        return true;
    // Asked only before a change: a pass over windows already at their level costs no more.
    if (!is_own_top_level(window))
        return false;
    if (!look.layered && window_answers(window) != ANSWERED)
        return true;
    if (!read_record(window, &record)) {
        // Without the query (Windows 2000) a window's own attributes can't be read: it is
        // recorded, and so given back, as an ordinary window.
        record.layered = look.layered && query != NULL;
        record.alpha = look.alpha;
        record.alpha_flag = (look.flags & LWA_ALPHA) != 0;
        if (!write_record(window, &record))
            return true;
    }
    if (!look.layered && !change_layered_style(window, true))
        // Not waiting: the plug-in ended inside the change, and the window goes back at once.
        return is_waiting(window);
    SetLayeredWindowAttributes(window, look.has_key ? look.key : 0, level, wanted_flags);
    return true;
}

void give_level(HWND window, BYTE level, LayeredQueryFn query)
{
    if (waited_on(window))
        return;
    if (level < 255 && fade(window, level, query))
        return;
    WindowRecord record;
    // Without a record Lumivane never changed the window, or has given it back already.
    if (read_record(window, &record))
        give_back_recorded(window, query, &record);
}
