// Which plug-in windows asked for which shell messages, and delivering those messages.
#pragma once
#include <windows.h>

// messages is the window's zero-terminated list.
void register_window(HWND window, const UINT *messages);
// A null list removes the window from every message.
void unregister_window(HWND window, const UINT *messages);

// Sends message with SendMessageA to every window registered for it, in registration order,
// and answers how many windows got it.
int deliver(UINT message, WPARAM wparam, LPARAM lparam);
