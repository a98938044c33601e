// Settings files as the Blackbox shell reads them: "key: value" lines looked up by key. One
// reader for the shell's BLACKBOX.EXE and for Peekster, so that both see a file alike. It
// keeps nothing between calls and uses fixed buffers only: a file of any size or content
// is read in bounded memory.
//
// A line ends at LF (a CR right before it is dropped) or at the end of the data; a NUL byte
// cuts its line short. The key is the text before the first colon, the value the text after
// it, both without surrounding blanks and tabs; a tab inside the value becomes a blank. Lines whose first non-blank character is '#'
// or '!', lines without a colon, lines with an empty key and lines whose key is longer than
// RC_KEY_SIZE - 1 characters are skipped. Keys compare ignoring ASCII case; the last
// occurrence wins. A value longer than RC_VALUE_SIZE - 1 characters is cut to that length.
#pragma once
#include <stddef.h>

enum {
    RC_KEY_SIZE = 256,
    RC_VALUE_SIZE = 1024,
};

// Only the first RC_MAX_FILE_BYTES of a file are read; the rest is ignored.
#define RC_MAX_FILE_BYTES (64u << 20)

// Receives each key/value line in file order, with its number (the first line is 1); both
// texts end at a NUL of their own.
typedef void (*RcLineFn)(const char *key, const char *value, int line, void *context);

// A line being read; the bytes of one file may come in pieces of any size.
struct RcParser {
    const char *only_key;   // when set, the lines of other keys are skipped unread
    int state;
    int line;            // the number of the line being read
    bool pending_cr;     // a CR whose next byte is not known yet
    size_t key_length;   // characters stored, trailing blanks included
    size_t key_end;      // the stored key without its trailing blanks
    size_t value_length;
    size_t value_end;
    bool key_too_long;
    char key[RC_KEY_SIZE];
    char value[RC_VALUE_SIZE];
};

// Ready for the first line, with every key wanted.
void rc_begin(RcParser *parser);
void rc_feed(RcParser *parser, const char *bytes, size_t count, RcLineFn line_found,
             void *context);
// The end of the data: the last line, when it has no line end.
void rc_end(RcParser *parser, RcLineFn line_found, void *context);

// Reads the file at path line by line: every key/value line, or with only_key those of that
// key (as a file line spells it, see rc_lookup_key). False when it cannot be opened or read.
bool rc_scan_file(const char *path, const char *only_key, RcLineFn line_found, void *context);

// True when the two keys are the same ignoring ASCII case.
bool rc_same_key(const char *a, const char *b);

// The key as a file line spells it: without surrounding blanks and one trailing colon
// ("Lumivane.plugin.level0:" looks up "Lumivane.plugin.level0"). False when nothing is left
// or it does not fit RC_KEY_SIZE.
bool rc_lookup_key(const char *key, char *result);

// The value of key in the file at path, cut to size - 1 characters. False when the file
// cannot be read or holds no such key.
bool rc_read_value(const char *path, const char *key, char *value, size_t size);

// C's atoi, with a result beyond int's range held at INT_MIN or INT_MAX.
int rc_text_to_int(const char *text);
