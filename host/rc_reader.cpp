#include "rc_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <list>

#include "../common/text.h"

namespace rc {

namespace {

// A bigger file is read up to this size; the rest of it is ignored.
constexpr size_t MAX_FILE_SIZE = 64u << 20;
// Parsed files kept at once; the least recently used one goes first.
constexpr size_t MAX_CACHED_FILES = 8;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Keys compare folded to upper case, as the plug-in folds its names.
std::string folded(std::string_view key)
{
    std::string text(key);
    fold(&text[0]);
    return text;
}

struct FileStamp {
    long long size = 0;
    long long modified = 0;
    bool operator==(const FileStamp &other) const
    {
        return size == other.size && modified == other.modified;
    }
};

bool stat_file(const char *path, FileStamp *stamp)
{
    struct stat info;
    if (stat(path, &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG)
        return false;
    if (stamp) {
        stamp->size = static_cast<long long>(info.st_size);
        stamp->modified = static_cast<long long>(info.st_mtime);
    }
    return true;
}

bool read_bytes(const char *path, std::string *bytes)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    bytes->clear();
    char chunk[65536];
    size_t got;
    while (bytes->size() < MAX_FILE_SIZE && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, std::min(got, MAX_FILE_SIZE - bytes->size()));
    std::fclose(file);
    return true;
}

struct CachedFile {
    std::string path;
    FileStamp stamp;
    SettingsText text;
};

std::list<CachedFile> s_cache;   // most recently used first
std::string s_returned;          // the text handed out by the last read_string

// The parsed file at path, read again when it changed; null when it cannot be read.
const SettingsText *settings_of(const char *path)
{
    FileStamp stamp;
    bool exists = stat_file(path, &stamp);
    for (auto it = s_cache.begin(); it != s_cache.end(); ++it) {
        if (it->path != path)
            continue;
        if (exists && it->stamp == stamp) {
            s_cache.splice(s_cache.begin(), s_cache, it);
            return &s_cache.front().text;
        }
        s_cache.erase(it);
        break;
    }
    std::string bytes;
    if (!exists || !read_bytes(path, &bytes))
        return nullptr;
    s_cache.push_front(CachedFile{path, stamp, SettingsText(bytes)});
    if (s_cache.size() > MAX_CACHED_FILES)
        s_cache.pop_back();
    return &s_cache.front().text;
}

const std::string *find_value(const char *path, const char *key)
{
    if (!path || !key)
        return nullptr;
    const SettingsText *text = settings_of(path);
    return text ? text->find(key) : nullptr;
}

}  // namespace

SettingsText::SettingsText(std::string_view bytes)
{
    // One slot per line up front: growing the table step by step costs more than the
    // parse itself on a big file.
    values_.reserve(std::count(bytes.begin(), bytes.end(), '\n') + 1);
    while (!bytes.empty()) {
        size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        add_line(line.substr(0, line.find('\0')));
    }
}

void SettingsText::add_line(std::string_view line)
{
    std::string_view content = trim(line);
    if (content.empty() || content.front() == '#' || content.front() == '!')
        return;
    size_t colon = content.find(':');
    if (colon == std::string_view::npos)
        return;
    std::string_view key = trim(content.substr(0, colon));
    if (key.empty())
        return;
    values_[folded(key)] = std::string(trim(content.substr(colon + 1)));
}

const std::string *SettingsText::find(std::string_view key) const
{
    key = trim(key);
    if (!key.empty() && key.back() == ':')
        key = trim(key.substr(0, key.size() - 1));
    if (key.empty())
        return nullptr;
    auto found = values_.find(folded(key));
    return found == values_.end() ? nullptr : &found->second;
}

int text_to_int(const char *text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

const char *read_string(const char *path, const char *key, const char *fallback)
{
    const std::string *value = find_value(path, key);
    if (!value)
        return fallback;
    s_returned = *value;
    return s_returned.c_str();
}

int read_int(const char *path, const char *key, int fallback)
{
    const std::string *value = find_value(path, key);
    return value ? text_to_int(value->c_str()) : fallback;
}

bool file_exists(const char *path)
{
    return path && stat_file(path, nullptr);
}

void forget_files()
{
    s_cache.clear();
}

}  // namespace rc
