// Peekster's one argument: the settings file to explain from.
#pragma once

// A settings file bigger than this is refused: every key is looked up in the whole file.
enum { MAX_SETTINGS_FILE_BYTES = 1 << 20 };

// True when path names a settings file Peekster can read; otherwise says why on standard
// error.
bool settings_file_usable(const char *path);
