// The shell's main window: the receiver of plug-in registrations and of the commands of a
// second instance, and the shell's life from start-up to quit.
#pragma once
#include <windows.h>

// The class a second instance looks for to find the running shell.
extern const char MAIN_WINDOW_CLASS[];

bool create_main_window(HINSTANCE instance);
HWND main_window();

// Unloads every plug-in and ends the message loop with exit code 0. While the shell is busy
// (loading plug-ins or delivering a message, during which a plug-in may run a modal loop
// that lets the request in) the quit waits until the work is done.
void request_quit();

// Marks the shell busy for its lifetime; a quit requested meanwhile runs at its end.
class BusyShell {
public:
    BusyShell();
    ~BusyShell();
    BusyShell(const BusyShell &) = delete;
    BusyShell &operator=(const BusyShell &) = delete;
};
