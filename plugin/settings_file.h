// Where the plug-in finds its settings file.
#pragma once
#include <windows.h>

// Finds the settings file beside the plug-in or in the shell's directory and reads every
// key into g_settings; keys that are missing take their defaults.
void load_settings(HINSTANCE module);
