#include "frame_host.h"

#include <string.h>

#include "text.h"

static const char FRAME_CLASS[] = "ApplicationFrameWindow";
static const char CONTENT_CLASS[] = "Windows.UI.Core.CoreWindow";

bool is_frame_host(const char *folded_path)
{
    const char *name = strrchr(folded_path, '\\');
    name = name ? name + 1 : folded_path;
    char host[sizeof FRAME_HOST_NAME];
    copy_cut(host, FRAME_HOST_NAME, sizeof host);
    fold(host);
    return strcmp(name, host) == 0;
}

static bool has_class(HWND window, const char *class_name)
{
    // One character more than the longest class name asked for: a longer name does not
    // pass as it.
    char name[sizeof CONTENT_CLASS + 1];
    if (!GetClassNameA(window, name, sizeof name))
        return false;
    return strcmp(name, class_name) == 0;
}

bool is_frame(HWND window)
{
    return has_class(window, FRAME_CLASS);
}

DWORD content_process(HWND frame, DWORD frame_process)
{
    HWND child = GetWindow(frame, GW_CHILD);
    for (int i = 0; child && i < FRAME_CHILDREN_LOOKED_AT; ++i) {
        DWORD process_id = 0;
        GetWindowThreadProcessId(child, &process_id);
        if (process_id && process_id != frame_process)
            return process_id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    return 0;
}

HWND frame_of_content(HWND window)
{
    HWND frame = GetAncestor(window, GA_ROOT);
    if (!frame || frame == window || !is_frame(frame))
        return NULL;
    DWORD content = 0, host = 0;
    GetWindowThreadProcessId(window, &content);
    GetWindowThreadProcessId(frame, &host);
    return content != host ? frame : NULL;
}

HWND frame_or_self(HWND window)
{
    HWND frame = frame_of_content(window);
    return frame ? frame : window;
}

bool is_own_top_level(HWND window)
{
    return GetAncestor(window, GA_ROOT) == window && !has_class(window, CONTENT_CLASS);
}
