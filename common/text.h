// Small text helpers shared by the plug-in and Peekster.
#pragma once
#include <stddef.h>

// Upper-cases the ASCII letters a-z; every other byte, 0x80 and up included, is left as it
// is, whatever the code page.
char fold_char(char c);
// fold_char on each character, in place.
void fold(char *text);

// Copies at most size - 1 characters of source into a buffer of size bytes and terminates it.
void copy_cut(char *dest, const char *source, size_t size);

// The length of prefix when text begins with it, ignoring ASCII case; otherwise 0.
size_t folded_prefix(const char *text, const char *prefix);
