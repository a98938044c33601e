// The shell's end: unloading every plug-in and ending the message loop, at once or, while
// the shell is busy, when the work is done.
#pragma once

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
