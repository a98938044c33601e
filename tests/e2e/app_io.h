// The target app's input and output (target_app.cpp): report lines on
// standard output, and commands read from standard input on a thread of their own and
// handed to the window thread as messages.
#pragma once
#include <windows.h>

#include <string>

// A thread message whose lParam is a heap copy (malloc) of one input line; the receiver
// frees it. The last one is always "quit", sent when standard input ends.
const UINT WM_COMMAND_LINE = WM_APP + 1;

// Writes line and a line feed to standard output, unbuffered.
void say(const std::string &line);

// A window handle in hex, as the report lines give it.
std::string hex(HWND window);

// Starts reading standard input for the calling thread, which must already have a message
// queue: standard input is read on its own thread, so the window thread keeps handling
// messages while it waits for commands.
void start_reading_commands();
