#include "text.h"

#include <string.h>

char fold_char(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

void fold(char *text)
{
    for (; *text; ++text)
        *text = fold_char(*text);
}

void copy_cut(char *dest, const char *source, size_t size)
{
    if (size == 0)
        return;
    size_t length = strlen(source);
    if (length > size - 1)
        length = size - 1;
    memcpy(dest, source, length);
    dest[length] = '\0';
}

size_t folded_prefix(const char *text, const char *prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (fold_char(text[i]) != fold_char(prefix[i]))
            return 0;
    }
    return i;
}
