// The settings-file reader over arbitrary file contents: no crash, no read past the data,
// every answer consistent with the lines it was given, the same answers whatever pieces
// the bytes arrive in, and Peekster's look-ups in the file agreeing with the shell's.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <string>
#include <string_view>

#include "../common/rc_file.h"
#include "../common/text.h"
#include "../host/rc_reader.h"

static const char *const KEYS[] = {
    "Lumivane.plugin.global:", "lumivane.plugin.GLOBALLEVEL", "Lumivane.plugin.appname0:",
    "a", ":", "", "#", "key with blanks", "Lumivane.plugin.level49:"};

// The lines of the bytes fed to the reader in pieces of the given size, by folded key.
static std::map<std::string, std::string> in_pieces(const char *bytes, size_t size, size_t piece)
{
    std::map<std::string, std::string> lines;
    RcParser parser;
    rc_begin(&parser);
    auto add = [](const char *key, const char *value, int, void *lines) {
        std::string folded = key;
        fold(folded.data());
        (*static_cast<std::map<std::string, std::string> *>(lines))[folded] = value;
    };
    for (size_t at = 0; at < size; at += piece)
        rc_feed(&parser, bytes + at, size - at < piece ? size - at : piece, add, &lines);
    rc_end(&parser, add, &lines);
    return lines;
}

static const char *file_of(const char *bytes, size_t size)
{
    static char path[64];
    if (!path[0])
        snprintf(path, sizeof path, "/tmp/rc_reader_fuzz.%d", (int)getpid());
    FILE *file = fopen(path, "wb");
    if (!file || fwrite(bytes, 1, size, file) != size)
        abort();
    fclose(file);
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size heap copy, so AddressSanitizer sees any read past the end.
    char *bytes = (char *)malloc(size ? size : 1);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (char)data[i];
    rc::SettingsText text(std::string_view(bytes, size));
    std::map<std::string, std::string> bytewise = in_pieces(bytes, size, 1);
    std::map<std::string, std::string> odd = in_pieces(bytes, size, 7);
    const char *path = file_of(bytes, size);
    for (const char *key : KEYS) {
        const std::string *value = text.find(key);
        char wanted[RC_KEY_SIZE];
        if (rc_lookup_key(key, wanted)) {
            fold(wanted);
            for (const auto *lines : {&bytewise, &odd}) {
                auto same = lines->find(wanted);
                if (!value != (same == lines->end()) || (value && *value != same->second))
                    abort();
            }
        }
        // What Peekster reads from the file, and the integer both take from it.
        char read[RC_VALUE_SIZE];
        bool found = rc_read_value(path, key, read, sizeof read);
        if (found != (value != nullptr) || (value && *value != read))
            abort();
        if (!value)
            continue;
        // A value never holds a line end or a NUL, never starts or ends with a blank, and
        // fits the reader's buffer.
        for (char c : *value)
            if (c == '\n' || c == '\0')
                abort();
        if (!value->empty() && (value->front() == ' ' || value->back() == ' ' ||
                                value->front() == '\t' || value->back() == '\t'))
            abort();
        if (value->size() >= RC_VALUE_SIZE)
            abort();
        rc_text_to_int(value->c_str());
    }
    free(bytes);
    return 0;
}
