// The shell's reader functions, as Peekster serves them to the settings code: the same
// reader as the shell's own, so that a file reads alike in both. Peekster names no shell
// directory, so FileExists and GetBlackboxPath, which only locating the file needs, are not
// here.
#include <windows.h>

#include "../common/host_api.h"
#include "../common/rc_file.h"

static char s_value[RC_VALUE_SIZE];

LPCSTR ReadString(LPCSTR fileName, LPCSTR key, LPCSTR defaultValue)
{
    return rc_read_value(fileName, key, s_value, sizeof s_value) ? s_value : defaultValue;
}

int ReadInt(LPCSTR fileName, LPCSTR key, int defaultValue)
{
    char value[RC_VALUE_SIZE];
    return rc_read_value(fileName, key, value, sizeof value) ? rc_text_to_int(value)
                                                             : defaultValue;
}
