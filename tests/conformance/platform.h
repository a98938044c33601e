// What the conformance tests need from a desktop that <windows.h> alone does not give:
// making windows, and raising window events from this thread or another one. Implemented
// once over the fake desktop and once over real user32.
#pragma once
#include <windows.h>

#include <string>

namespace conformance {

// A top-level window of this test, owned by a thread other than the hook-installing one.
HWND make_window(LONG ex_style, bool visible);
void remove_window(HWND window);

// A process handle opened like the plug-in's lookup, and the executable path it runs.
HANDLE open_test_process(std::string *exe_path);

// Raises event for window from the thread that installs hooks, or from another thread,
// then lets out-of-context hook callbacks run.
void raise_from_own_thread(DWORD event, HWND window);
void raise_from_other_thread(DWORD event, HWND window);

// True under Wine, whose user32 differs from Windows' in a few behaviours.
bool running_on_wine();

}  // namespace conformance
