// A level set on the fly with @LumivaneLevel, kept on the window in a property of its own
// beside the record of what the window had. The plug-in writes it; Peekster, another
// process, reads it to say why the window looks as it does.
#pragma once
#include <windows.h>

// The shell's command that sets a level: the word, one blank, then -N, +N or N.
#define LEVEL_COMMAND "@LumivaneLevel"

// False when the property could not be set.
bool write_held_level(HWND window, BYTE level);

// False when the window holds no level.
bool read_held_level(HWND window, BYTE *level);

void remove_held_level(HWND window);
