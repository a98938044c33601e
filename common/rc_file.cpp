#include "rc_file.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include "text.h"

enum LineState {
    LINE_START,   // blanks before anything
    IN_KEY,
    IN_VALUE,
    CUT_VALUE,    // a NUL ended the value; the rest of the line is ignored
    SKIP_LINE,    // a comment, an empty or overlong key, or a NUL before the colon
};

static bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

static void rc_next_line(RcParser *parser);

void rc_begin(RcParser *parser)
{
    parser->only_key = NULL;
    parser->line = 1;
    rc_next_line(parser);
}

// Everything but the key looked for, which holds for the whole file.
static void rc_next_line(RcParser *parser)
{
    parser->state = LINE_START;
    parser->pending_cr = false;
    parser->key_length = 0;
    parser->key_end = 0;
    parser->value_length = 0;
    parser->value_end = 0;
    parser->key_too_long = false;
}

// Stores c while there is room; end follows the last non-blank character stored, so trailing
// blanks are dropped at the end of the text. True unless a non-blank character found no room.
static bool store(char *text, size_t size, size_t *length, size_t *end, char c)
{
    if (*length + 1 < size) {
        text[(*length)++] = c;
        if (!is_blank(c))
            *end = *length;
        return true;
    }
    return is_blank(c);
}

static void end_line(RcParser *parser, RcLineFn line_found, void *context)
{
    if (parser->state == IN_VALUE || parser->state == CUT_VALUE) {
        parser->value[parser->value_end] = '\0';
        line_found(parser->key, parser->value, parser->line, context);
    }
    ++parser->line;
    rc_next_line(parser);
}

// One byte of a line other than its LF and a CR right before that.
static void take(RcParser *parser, char c)
{
    switch (parser->state) {
    case LINE_START:
        if (is_blank(c))
            return;
        if (c == '#' || c == '!' || c == ':' || c == '\0') {
            parser->state = SKIP_LINE;
            return;
        }
        parser->state = IN_KEY;
        store(parser->key, RC_KEY_SIZE, &parser->key_length, &parser->key_end, c);
        return;
    case IN_KEY:
        if (c == '\0') {
            parser->state = SKIP_LINE;
        } else if (c == ':') {
            parser->key[parser->key_end] = '\0';
            bool wanted = !parser->only_key || rc_same_key(parser->key, parser->only_key);
            parser->state = parser->key_too_long || !wanted ? SKIP_LINE : IN_VALUE;
        } else if (!store(parser->key, RC_KEY_SIZE, &parser->key_length, &parser->key_end, c)) {
            parser->key_too_long = true;
        }
        return;
    case IN_VALUE:
        if (c == '\0')
            parser->state = CUT_VALUE;
        else if (parser->value_length > 0 || !is_blank(c))
            store(parser->value, RC_VALUE_SIZE, &parser->value_length, &parser->value_end,
                  c == '\t' ? ' ' : c);
        return;
    default:
        return;
    }
}

void rc_feed(RcParser *parser, const char *bytes, size_t count, RcLineFn line_found,
             void *context)
{
    for (size_t i = 0; i < count; ++i) {
        // The rest of a skipped line matters only for where it ends.
        if (parser->state == SKIP_LINE || parser->state == CUT_VALUE) {
            const char *end = (const char *)memchr(bytes + i, '\n', count - i);
            if (!end)
                return;
            parser->pending_cr = false;
            i = (size_t)(end - bytes);
        }
        char c = bytes[i];
        if (parser->pending_cr) {
            parser->pending_cr = false;
            if (c == '\n') {
                end_line(parser, line_found, context);
                continue;
            }
            take(parser, '\r');
        }
        if (c == '\n')
            end_line(parser, line_found, context);
        else if (c == '\r')
            parser->pending_cr = true;
        else
            take(parser, c);
    }
}

void rc_end(RcParser *parser, RcLineFn line_found, void *context)
{
    end_line(parser, line_found, context);
}

bool rc_scan_file(const char *path, const char *only_key, RcLineFn line_found, void *context)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    RcParser parser;
    rc_begin(&parser);
    parser.only_key = only_key;
    char chunk[16384];
    size_t total = 0;
    size_t got;
    while (total < RC_MAX_FILE_BYTES && (got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (got > RC_MAX_FILE_BYTES - total)
            got = RC_MAX_FILE_BYTES - total;
        rc_feed(&parser, chunk, got, line_found, context);
        total += got;
    }
    // A folder opens on some systems and then fails to read.
    bool read_well = !ferror(file);
    fclose(file);
    if (read_well)
        rc_end(&parser, line_found, context);
    return read_well;
}

bool rc_same_key(const char *a, const char *b)
{
    for (; *a && fold_char(*a) == fold_char(*b); ++a, ++b) {
    }
    return *a == *b;
}

bool rc_lookup_key(const char *key, char *result)
{
    while (is_blank(*key))
        ++key;
    size_t end = strlen(key);
    while (end > 0 && is_blank(key[end - 1]))
        --end;
    if (end > 0 && key[end - 1] == ':')
        --end;
    while (end > 0 && is_blank(key[end - 1]))
        --end;
    if (end == 0 || end >= RC_KEY_SIZE)
        return false;
    memcpy(result, key, end);
    result[end] = '\0';
    return true;
}

struct Lookup {
    char *value;
    size_t size;
    bool found;
};

static void keep_value(const char *, const char *value, int, void *context)
{
    Lookup *lookup = (Lookup *)context;
    copy_cut(lookup->value, value, lookup->size);
    lookup->found = true;
}

bool rc_read_value(const char *path, const char *key, char *value, size_t size)
{
    char wanted[RC_KEY_SIZE];
    if (!path || !key || size == 0 || !rc_lookup_key(key, wanted))
        return false;
    Lookup lookup = {value, size, false};
    return rc_scan_file(path, wanted, keep_value, &lookup) && lookup.found;
}

int rc_text_to_int(const char *text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > (long long)INT_MAX + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}
