// Run-time binding of system functions that not every supported Windows version has.
// Importing them would stop the deliverables from loading on Windows XP.
#pragma once
#include <windows.h>

typedef void (*AnyFunction)(void);

// The named export of an already loaded system DLL, or NULL when the system lacks it.
AnyFunction find_system_function(const char *module, const char *name);
