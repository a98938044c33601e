// The shell's settings reader over arbitrary file contents: no crash, no read past the
// data, and every answer is consistent with the lines it was given.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>

#include "../host/rc_reader.h"

static const char *const KEYS[] = {
    "Lumivane.plugin.global:", "lumivane.plugin.GLOBALLEVEL", "Lumivane.plugin.appname0:",
    "a", ":", "", "#", "key with blanks", "Lumivane.plugin.level49:"};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size heap copy, so AddressSanitizer sees any read past the end.
    char *bytes = (char *)malloc(size ? size : 1);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (char)data[i];
    rc::SettingsText text(std::string_view(bytes, size));
    for (const char *key : KEYS) {
        const std::string *value = text.find(key);
        if (!value)
            continue;
        // A value never holds a line end or a NUL, and never starts or ends with a blank.
        for (char c : *value)
            if (c == '\n' || c == '\0')
                abort();
        if (!value->empty() && (value->front() == ' ' || value->back() == ' ' ||
                                value->front() == '\t' || value->back() == '\t'))
            abort();
        rc::text_to_int(value->c_str());
    }
    free(bytes);
    return 0;
}
