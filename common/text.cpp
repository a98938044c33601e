#include "text.h"

#include <string.h>

void fold(char *text)
{
    for (; *text; ++text) {
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
    }
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
