#include "rc_reader.h"

#include <sys/stat.h>

#include <list>

#include "../common/rc_file.h"
#include "../common/text.h"

namespace rc {

namespace {

// Parsed files kept at once; the least recently used one goes first.
constexpr size_t MAX_CACHED_FILES = 8;

std::string folded(const char *key)
{
    std::string text(key);
    fold(text.data());
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
    SettingsText text;
    if (!exists || !text.read_file(path))
        return nullptr;
    s_cache.push_front(CachedFile{path, stamp, std::move(text)});
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
    RcParser parser;
    rc_begin(&parser);
    rc_feed(&parser, bytes.data(), bytes.size(), add_line, this);
    rc_end(&parser, add_line, this);
}

bool SettingsText::read_file(const char *path)
{
    values_.clear();
    return rc_scan_file(path, NULL, add_line, this);
}

void SettingsText::add_line(const char *key, const char *value, int, void *text)
{
    static_cast<SettingsText *>(text)->values_[folded(key)] = value;
}

const std::string *SettingsText::find(std::string_view key) const
{
    char wanted[RC_KEY_SIZE];
    if (!rc_lookup_key(std::string(key).c_str(), wanted))
        return nullptr;
    auto found = values_.find(folded(wanted));
    return found == values_.end() ? nullptr : &found->second;
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
    return value ? rc_text_to_int(value->c_str()) : fallback;
}

bool file_exists(const char *path) { return path && stat_file(path, nullptr); }

void forget_files() { s_cache.clear(); }

}  // namespace rc
