// The shell's settings-file reader: "key: value" lines looked up by key, as common/rc_file
// reads them, with the files kept parsed on top. Plain C++ with no platform header, so the
// same code serves BLACKBOX.EXE, the native unit tests and fuzzing.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

namespace rc {

// The key/value lines of one file's bytes, by the line rules of common/rc_file.h. Keys
// compare ignoring ASCII case; the last occurrence wins.
class SettingsText {
public:
    SettingsText() = default;
    explicit SettingsText(std::string_view bytes);
    // Reads the file at path; false when it cannot be read.
    bool read_file(const char *path);
    // The value of key, or null when absent. key may end with the colon of its line.
    const std::string *find(std::string_view key) const;

private:
    static void add_line(const char *key, const char *value, int line, void *text);
    std::unordered_map<std::string, std::string> values_;
};

// The value text of key in the file at path, or fallback when the file or key is absent.
// The text lives in a buffer of the reader and stays valid until the next read.
const char *read_string(const char *path, const char *key, const char *fallback);

// The value of key converted like atoi, or fallback only when the file or key is absent.
int read_int(const char *path, const char *key, int fallback);

// True when path names a regular file; false for a directory or nothing.
bool file_exists(const char *path);

// Parsed files are kept and reused while a file's size and modification time stay the
// same. The time has one-second steps on Windows, so an edit that keeps the size within
// that second goes unseen; the shell forgets every file before a reconfigure for that.
void forget_files();

}  // namespace rc
