// The shell's settings reader (host/rc_reader over common/rc_file, which Peekster reads
// with too): what ReadString, ReadInt and FileExists give for a file's bytes, and that a
// changed file is read again.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <utime.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../../common/rc_file.h"
#include "../../host/rc_reader.h"

namespace {

// Given as the default, so that an answer of this very pointer means "absent".
const char ABSENT[] = "<absent>";

class RcReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rc_reader_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override
    {
        rc::forget_files();
        std::filesystem::remove_all(dir_);
    }

    std::string write_file(const std::string &name, const std::string &bytes)
    {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    // A fresh file per call: the reader keeps parsed files, and a rewrite of the same size
    // within one second would otherwise be served from what it kept.
    std::string fresh_file(const std::string &bytes)
    {
        return write_file("case" + std::to_string(next_file_++) + ".rc", bytes);
    }

    std::optional<std::string> value_of(const std::string &path, const char *key)
    {
        const char *value = rc::read_string(path.c_str(), key, ABSENT);
        if (value == ABSENT)
            return std::nullopt;
        return std::string(value);
    }

    std::string dir_;
    int next_file_ = 0;
};

struct StringCase {
    std::string bytes;
    const char *key;
    std::optional<std::string> expected;
};

TEST_F(RcReader, ReadStringFollowsTheLineRules)
{
    using namespace std::string_literals;
    const std::string key255(255, 'k'), key256(256, 'k');
    const StringCase cases[] = {
        {"a: 1\n", "a", "1"},
        // the key ends at the first colon; the value keeps the others
        {"url: http://host:80/x\n", "url", "http://host:80/x"},
        // blanks and tabs around key and value are dropped, inner ones kept
        {" \t my key \t:\t two  words \t\n", "my key", "two  words"},
        // a tab inside the value becomes a blank
        {"a:\tone\ttwo \t three\t\n", "a", "one two   three"},
        {"my key: 1\n", "my  key", std::nullopt},
        // ASCII case is ignored; other bytes must match exactly
        {"Lumivane.Plugin.Level0: 5\n", "lumivane.plugin.LEVEL0", "5"},
        {"\xc4pp: 1\n", "\xe4pp", std::nullopt},
        // the looked-up key may carry its colon (and blanks)
        {"a: 1\n", "a:", "1"},
        {"a: 1\n", " a : ", "1"},
        {"a: 1\n", "a::", std::nullopt},
        // comment lines, also after blanks; '#' later in a line is text
        {"# a: 1\n", "a", std::nullopt},
        {"! a: 1\n", "a", std::nullopt},
        {" \t# a: 1\n", "a", std::nullopt},
        {"\t!a: 1\n", "a", std::nullopt},
        {"!a: 1\n", "!a", std::nullopt},
        {" #a: 1\n", "#a", std::nullopt},
        {"a: 1 # not a comment\n", "a", "1 # not a comment"},
        {"a#: 1\n", "a#", "1"},
        // a line without a colon is ignored, and so is an empty key
        {"a 1\nb: 2\n", "a", std::nullopt},
        {"a 1\nb: 2\n", "b", "2"},
        {": 5\n", "", std::nullopt},
        {": 5\n", ":", std::nullopt},
        // the last occurrence wins, whatever its case
        {"a: 1\na: 2\n", "a", "2"},
        {"A: 1\nb: x\na: 3\n", "a", "3"},
        {"a: 1\n# a: 2\n", "a", "1"},
        // present but empty is the empty text, not the default
        {"a:\n", "a", ""},
        {"a: \t \n", "a", ""},
        // keys are whole: a prefix or a longer key is another key
        {"ab: 1\n", "a", std::nullopt},
        {"a: 1\n", "ab", std::nullopt},
        // CRLF and LF, and a last line without a line end
        {"a: 1\r\nb: 2\r\n", "a", "1"},
        {"a: 1\r\nb: 2\r\n", "b", "2"},
        {"a: 1\nb: 2", "b", "2"},
        {"a: 1\r\nb: 2\r", "b", "2"},
        {"b: 2 \r\n", "b", "2"},
        // a NUL cuts its line; the next line is read normally
        {"a: 1\0junk\nb: 2\n"s, "a", "1"},
        {"a: 1 \0junk\nb: 2\n"s, "a", "1"},
        {"a: 1\0junk\nb: 2\n"s, "b", "2"},
        {"\0a: 1\n"s, "a", std::nullopt},
        {"a\0: 1\n"s, "a", std::nullopt},
        // binary garbage around a good line
        {"\xff\xfe\x01\x02garbage\n\x80\x90: \x81\nkey: ok\n\x7f\x00\xff"s, "key", "ok"},
        {"\xff\xfe\x01\x02garbage\n\x80\x90: \x81\nkey: ok\n"s, "\x80\x90", "\x81"},
        // fixed buffers: values cut at 1023 characters, keys up to 255, blanks beyond either
        // dropped as blanks are; a CR and its LF read in two pieces of the file
        {"a: " + std::string(2000, 'v') + "\n", "a", std::string(1023, 'v')},
        {key255 + ": 1\n", key255.c_str(), "1"},
        {key256 + ": 1\n", key256.c_str(), std::nullopt},
        {"k" + std::string(5000, ' ') + ": 1" + std::string(5000, '\t') + "\n", "k", "1"},
        {std::string(16379, '#') + "\na:1\r\n", "a", "1"},
        // nothing there
        {"", "a", std::nullopt},
        {"\n\n\r\n", "a", std::nullopt},
    };
    for (const StringCase &c : cases) {
        SCOPED_TRACE("file " + ::testing::PrintToString(c.bytes) + ", key \"" + c.key + '"');
        std::string path = fresh_file(c.bytes);
        EXPECT_EQ(value_of(path, c.key), c.expected);
        // Peekster's look-up, which keeps nothing between reads, finds the same.
        char value[RC_VALUE_SIZE];
        bool found = rc_read_value(path.c_str(), c.key, value, sizeof value);
        EXPECT_EQ(found ? std::optional<std::string>(value) : std::nullopt, c.expected);
    }
}

TEST_F(RcReader, ReadIntConvertsLikeAtoiAndDefaultsOnlyWhenAbsent)
{
    const struct {
        const char *line;
        int expected;
    } cases[] = {
        {"n: 42", 42},
        {"n: -7x", -7},
        {"n: abc", 0},
        {"n:", 0},
        {"n: +5", 5},
        {"n:\t 12 \t", 12},
        {"n: 1 2", 1},
        {"n: 150 # a note", 150},
        {"n: 80%", 80},
        {"n: 0x1F", 0},
        {"n: - 3", 0},
        {"n: 007", 7},
        {"n: 2147483647", INT_MAX},
        {"n: -2147483648", INT_MIN},
        {"n: 99999999999", INT_MAX},
        {"n: -99999999999999999999", INT_MIN},
        {"other: 5", 123},
        {"# n: 5", 123},
    };
    for (const auto &c : cases) {
        std::string path = fresh_file(std::string(c.line) + "\n");
        EXPECT_EQ(rc::read_int(path.c_str(), "n:", 123), c.expected) << c.line;
    }
}

TEST_F(RcReader, MissingFileOrNullArgumentsGiveDefaults)
{
    std::string missing = dir_ + "/missing.rc";
    std::string present = fresh_file("a: 1\n");
    EXPECT_EQ(rc::read_string(missing.c_str(), "a", ABSENT), ABSENT);
    EXPECT_EQ(rc::read_int(missing.c_str(), "a", -9), -9);
    EXPECT_EQ(rc::read_string(dir_.c_str(), "a", ABSENT), ABSENT);
    EXPECT_EQ(rc::read_string(nullptr, "a", ABSENT), ABSENT);
    EXPECT_EQ(rc::read_string(present.c_str(), nullptr, ABSENT), ABSENT);
    EXPECT_EQ(rc::read_string(present.c_str(), "b", nullptr), nullptr);
    EXPECT_EQ(rc::read_int(nullptr, "a", 77), 77);
}

TEST_F(RcReader, FileExistsOnlyForFiles)
{
    std::string file = fresh_file("");
    std::filesystem::create_directory(dir_ + "/sub.rc");
    EXPECT_TRUE(rc::file_exists(file.c_str()));
    EXPECT_FALSE(rc::file_exists((dir_ + "/missing.rc").c_str()));
    EXPECT_FALSE(rc::file_exists(dir_.c_str()));
    EXPECT_FALSE(rc::file_exists((dir_ + "/sub.rc").c_str()));
    EXPECT_FALSE(rc::file_exists(""));
    EXPECT_FALSE(rc::file_exists(nullptr));
}

TEST_F(RcReader, ReturnedTextStaysValidUntilTheNextRead)
{
    std::string path = write_file("returned.rc", "a: first value\nb: other\n");
    const char *value = rc::read_string(path.c_str(), "a", ABSENT);
    // Whatever the reader kept of the file is gone now; the text handed out is not.
    write_file("returned.rc", "a: a longer replacement value\n");
    rc::forget_files();
    std::filesystem::remove(path);
    EXPECT_STREQ(value, "first value");
    EXPECT_EQ(value_of(path, "a"), std::nullopt);
}

TEST_F(RcReader, EditedFileIsReadAgain)
{
    std::string path = write_file("edited.rc", "level: 100\n");
    ASSERT_EQ(rc::read_int(path.c_str(), "level", 0), 100);

    // A different size is seen at once.
    write_file("edited.rc", "level: 2000\n");
    EXPECT_EQ(rc::read_int(path.c_str(), "level", 0), 2000);

    // The same size with another modification time is seen at once.
    write_file("edited.rc", "level: 3000\n");
    struct utimbuf later = {1000000000, 1000000000};
    ASSERT_EQ(utime(path.c_str(), &later), 0);
    EXPECT_EQ(rc::read_int(path.c_str(), "level", 0), 3000);

    // Same size and time: seen once the kept files are forgotten, as before a reconfigure.
    write_file("edited.rc", "level: 4000\n");
    ASSERT_EQ(utime(path.c_str(), &later), 0);
    rc::forget_files();
    EXPECT_EQ(rc::read_int(path.c_str(), "level", 0), 4000);

    // Removed: defaults again.
    std::filesystem::remove(path);
    EXPECT_EQ(rc::read_int(path.c_str(), "level", -1), -1);
}

TEST_F(RcReader, ManyFilesReadInTurnKeepTheirOwnValues)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i)
        paths.push_back(fresh_file("n: " + std::to_string(i) + "\n"));
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(rc::read_int(paths[i].c_str(), "n", -1), i);
    }
}

TEST_F(RcReader, TenMegabyteFileReadsLikeASmallOne)
{
    std::string bytes = "dup: early\nfirst: 1\n";
    for (int i = 0; bytes.size() < 10u << 20; ++i)
        bytes += "Filler.Key" + std::to_string(i) + ":\tvalue " + std::to_string(i) + "\r\n";
    bytes += "dup: late\nlast: found";
    std::string path = fresh_file(bytes);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(value_of(path, "first"), "1");
        EXPECT_EQ(value_of(path, "LAST:"), "found");
        EXPECT_EQ(value_of(path, "dup"), "late");
        EXPECT_EQ(value_of(path, "filler.key12345"), "value 12345");
    }
}

}  // namespace
