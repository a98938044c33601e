#include "frame_host.h"

#include <string.h>

#include "text.h"

static const char FRAME_CLASS[] = "ApplicationFrameWindow";

bool is_frame_host(const char *folded_path)
{
    const char *name = strrchr(folded_path, '\\');
    name = name ? name + 1 : folded_path;
    char host[sizeof FRAME_HOST_NAME];
    copy_cut(host, FRAME_HOST_NAME, sizeof host);
    fold(host);
    return strcmp(name, host) == 0;
}

bool is_frame(HWND window)
{
    // One character more than the class name: a longer name does not pass as it.
    char name[sizeof FRAME_CLASS + 1];
    if (!GetClassNameA(window, name, sizeof name))
        return false;
    return strcmp(name, FRAME_CLASS) == 0;
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
