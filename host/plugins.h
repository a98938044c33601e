// Loading the plug-ins listed in plugins.rc and unloading them at shut-down.
#pragma once
#include <string>

// Loads every plug-in named in the list file (one path per line, relative to the host's
// directory; blank lines and lines starting with '#' are skipped) and starts it. A plug-in
// whose beginPlugin answers non-zero is freed at once, without its endPlugin.
void load_plugins(const std::string &list_path);

// Calls endPlugin of every started plug-in, the last loaded first, and frees each.
void unload_plugins();
