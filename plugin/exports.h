// The three functions the shell calls; exported undecorated through lumivane.def.
#pragma once
#include <windows.h>

extern "C" {
int beginPlugin(HINSTANCE module);
void endPlugin(HINSTANCE module);
LPCSTR pluginInfo(int field);
}
