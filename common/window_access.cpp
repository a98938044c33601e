#include "window_access.h"

#include "system_function.h"

// GetLayeredWindowAttributes is missing on Windows 2000, and its ordinal differs between
// versions, so it is looked up by name.
LayeredQueryFn layered_query(void)
{
    return reinterpret_cast<LayeredQueryFn>(
        find_system_function("user32.dll", "GetLayeredWindowAttributes"));
}
