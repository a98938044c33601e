// The window tree of the fake desktop: GetAncestor, GetWindow over a window's children, and
// the class a window was made of.
#include <string.h>

#include <algorithm>
#include <climits>

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

// The child of parent that comes first below the given sibling order.
static HWND child_below(HWND parent, long above)
{
    HWND found = nullptr;
    long found_order = 0;
    for (auto &entry : fake::state().windows) {
        const fake::Window &w = entry.second;
        if (w.parent == parent && w.sibling_order > above && (!found || w.sibling_order < found_order)) {
            found = entry.first;
            found_order = w.sibling_order;
        }
    }
    return found;
}

// GW_CHILD: the topmost child window; GW_HWNDNEXT: the sibling below, of the same parent.
// Top-level windows follow the z-order.
HWND GetWindow(HWND handle, UINT command)
{
    fake::log_call("GetWindow");
    fake::Window *window = fake::find_window(handle);
    if (!window)
        return nullptr;
    if (command == GW_CHILD)
        return child_below(handle, LONG_MIN);
    if (command != GW_HWNDNEXT)
        return nullptr;
    if (window->parent)
        return child_below(window->parent, window->sibling_order);
    std::vector<HWND> &z = fake::state().z_order;
    for (size_t i = 0; i + 1 < z.size(); ++i)
        if (z[i] == handle)
            return z[i + 1];
    return nullptr;
}

// The class name, cut to size - 1 characters and terminated; its length, 0 for no window.
int GetClassNameA(HWND handle, LPSTR name, int size)
{
    fake::log_call("GetClassNameA");
    fake::Window *window = fake::find_window(handle);
    if (!window || size <= 0)
        return 0;
    size_t length = std::min(window->class_name.size(), (size_t)size - 1);
    memcpy(name, window->class_name.data(), length);
    name[length] = '\0';
    return (int)length;
}
