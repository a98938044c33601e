// The shell's settings-file reader: "key: value" lines looked up by key. Plain C++ with no
// platform header, so the same code serves BLACKBOX.EXE, the native unit tests and fuzzing.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

namespace rc {

// The key/value lines of one file's bytes. A line ends at LF (a CR before it is dropped) or
// at the end of the data; a NUL byte cuts its line short. The key is the text before the
// first colon, the value the text after it, both without surrounding blanks and tabs.
// Lines whose first non-blank character is '#' or '!', lines without a colon and lines with
// an empty key are skipped. Keys compare ignoring ASCII case; the last occurrence wins.
class SettingsText {
public:
    explicit SettingsText(std::string_view bytes);
    // The value of key, or null when absent. key may end with the colon of its line.
    const std::string *find(std::string_view key) const;

private:
    void add_line(std::string_view line);
    std::unordered_map<std::string, std::string> values_;
};

// C's atoi, with a result beyond int's range held at INT_MIN or INT_MAX.
int text_to_int(const char *text);

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
