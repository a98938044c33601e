// Where the host lives: plug-ins and their lists are found relative to it.
#pragma once
#include <string>

// The directory of BLACKBOX.EXE, ending in a backslash.
const std::string &host_directory();

// path itself when it is absolute, otherwise path taken from the host's directory.
std::string path_beside_host(const std::string &path);
