// Peekster --check: the lines of a settings file that Lumivane reads otherwise than a person
// would expect, each with what Lumivane does with it.
#pragma once
#include <stdio.h>

// Reads the file at path as Lumivane reads it, into g_settings, and writes to out (unless it
// is NULL) one line per problem, "PATH:LINE: " and what Lumivane does with that line, in
// the order of the file. Answers the number of problems, or -1 when the file cannot be read.
int check_settings(const char *path, FILE *out);

#define CHECK_OPTION "--check"

// Exit codes of Peekster --check: nothing named, something named, no file to check or wrong
// arguments.
enum { CHECKED_CLEAN = 0, PROBLEMS_FOUND = 1, CANNOT_CHECK = 2 };

// Peekster --check path: the problems, then a line that counts them, on standard output.
// Answers the exit code.
int run_check(const char *path);

// When the file at path has problems, a line that says how many, and the command that lists
// them.
void print_problem_count(const char *path);
