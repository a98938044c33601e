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
// A visible child window (an EDIT control) of parent, and a pop-up window owned by owner.
HWND make_child_window(HWND parent);
HWND make_owned_window(HWND owner);

// A visible top-level window of another process, of this test's bitness or of the other
// one; end_other_process ends that process.
HWND make_window_of_other_process(bool other_bitness);
void end_other_process();
// A visible child window inside parent, made by another process of this test's bitness, as
// a frame-hosted application makes its window inside its frame; end_other_process ends it.
HWND make_child_of_other_process(HWND parent);
// The same, but layered at alpha 120 by its owner, whose thread then handles no message
// until release_other_process().
HWND make_hung_window_of_other_process(bool other_bitness);
void release_other_process();
// Removes the property of that name from window in yet another process, as a later run of
// the shell would, and answers the value it had there (0: none).
UINT_PTR take_property_elsewhere(HWND window, const char *name, bool other_bitness);

// A process handle opened like the plug-in's lookup, and the executable path it runs.
HANDLE open_test_process(std::string *exe_path);

// Raises event for window (the window itself, or another of its objects) from the thread
// that installs hooks, or from another thread, then lets out-of-context hook callbacks run.
void raise_from_own_thread(DWORD event, HWND window);
void raise_from_other_thread(DWORD event, HWND window, LONG object_id = OBJID_WINDOW,
                             LONG child_id = CHILDID_SELF);
// Raises event for window from another thread without letting callbacks run yet;
// let_callbacks_run() lets what is queued arrive.
void raise_later_from_other_thread(DWORD event, HWND window);
void let_callbacks_run();

// True under Wine, whose user32 differs from Windows' in a few behaviours.
bool running_on_wine();

}  // namespace conformance
