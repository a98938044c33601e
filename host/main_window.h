// The shell's main window: the receiver of plug-in registrations and of the commands of a
// second instance.
#pragma once
#include <windows.h>

// Registers the class of command_message.h and creates the window.
bool create_main_window(HINSTANCE instance);
HWND main_window();
