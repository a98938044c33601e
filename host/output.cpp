#include "output.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>

void prepare_output()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

static void put_line(FILE *stream, const char *format, va_list arguments)
{
    std::vfprintf(stream, format, arguments);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void say(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    put_line(stdout, format, arguments);
    va_end(arguments);
}

void complain(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::fputs("BLACKBOX.EXE: ", stderr);
    put_line(stderr, format, arguments);
    va_end(arguments);
}
