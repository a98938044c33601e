// The Blackbox shell's message numbers. A plug-in's window asks the shell's main window for
// the messages it wants with BB_REGISTERMESSAGE (wParam: the window, lParam: its list of
// message numbers, ending in 0) and gives them back with BB_UNREGISTERMESSAGE.
#pragma once
#include <windows.h>

enum : UINT {
    BB_REGISTERMESSAGE = 10001,
    BB_UNREGISTERMESSAGE = 10002,
    BB_RECONFIGURE = 10103,   // the settings changed: read them again
    BB_BROADCAST = 10901,     // lParam: a command text such as "@LumivaneTog"
};
