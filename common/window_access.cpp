#include "window_access.h"

#include "system_function.h"

// GetLayeredWindowAttributes is missing on Windows 2000, and its ordinal differs between
// versions, so it is looked up by name.
LayeredQueryFn layered_query(void)
{
    return reinterpret_cast<LayeredQueryFn>(
        find_system_function("user32.dll", "GetLayeredWindowAttributes"));
}

bool read_look(HWND window, LayeredQueryFn query, Look *look)
{
    look->ex_style = GetWindowLongA(window, GWL_EXSTYLE);
    look->layered = (look->ex_style & WS_EX_LAYERED) != 0;
    look->key = 0;
    look->alpha = 0;
    look->flags = 0;
    if (query && look->layered && !query(window, &look->key, &look->alpha, &look->flags))
        return false;
    // A stored key whose flag is off is none.
    look->has_key = (look->flags & LWA_COLORKEY) != 0;
    return true;
}

bool answers_in_time(HWND window)
{
    return answers_within(window, ANSWER_TIMEOUT_MS);
}

bool answers_within(HWND window, UINT timeout_ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms,
                               &result) != 0;
}
