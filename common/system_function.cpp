#include "system_function.h"

AnyFunction find_system_function(const char *module, const char *name)
{
    HMODULE handle = GetModuleHandleA(module);
    if (!handle)
        return NULL;
    return reinterpret_cast<AnyFunction>(GetProcAddress(handle, name));
}
