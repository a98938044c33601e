// Peekster --check: the lines of a settings file that Lumivane reads otherwise than a person
// would expect, each with what Lumivane does with it.
#pragma once
#include <stdio.h>

// Reads the file at path as Lumivane reads it, into g_settings, and writes to out (unless it
// is NULL) one line per problem, "PATH:LINE: " and what Lumivane does with that line, in
// the order of the file. Answers the number of problems, or -1 when the file cannot be read.
int check_settings(const char *path, FILE *out);
