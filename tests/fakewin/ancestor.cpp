// GetAncestor over the fake desktop's windows.
#include "state.h"

// GA_ROOT: the top-level window that holds a child window, by its parents; a top-level
// window is its own root, owned ones included. Null for a window that does not exist.
HWND GetAncestor(HWND handle, UINT flags)
{
    fake::Window *window = fake::find_window(handle);
    if (!window || flags != GA_ROOT)
        return nullptr;
    while (window->parent) {
        handle = window->parent;
        window = fake::find_window(handle);
    }
    return handle;
}
