#include "common/strings.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>


namespace instalator::common {
namespace {

TEST(Strings, CountsAtTheEdges) {
    EXPECT_EQ(Blanks(128), std::string(128, ' '));
    EXPECT_EQ(Blanks(0), "");
    EXPECT_EQ(Blanks(-1), "");
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-5), "-5");
    EXPECT_EQ(IntToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(IntToText(std::numeric_limits<std::int32_t>::max()), "2147483647");
    EXPECT_EQ(HexText(0, 8), "00000000");
    EXPECT_EQ(HexText(0xC0000005, 8), "C0000005");
    EXPECT_EQ(HexText(0x1F600, 4), "1F600");
    EXPECT_EQ(HexText(0xab, 0), "AB");
    // An empty path does not end with a backslash, so callers append one.
    EXPECT_EQ(RightText("", 1), "");
    EXPECT_EQ(RightText("C:\\APP\\", 1), "\\");
    EXPECT_EQ(RightText("abc", 5), "abc");
    EXPECT_EQ(RightText("abc", 0), "");
    EXPECT_EQ(RightText("abc", std::numeric_limits<std::int32_t>::min()), "");
    EXPECT_EQ(LeftText("abc", 2), "ab");
    EXPECT_EQ(LeftText("abc", 5), "abc");
    EXPECT_EQ(LeftText("abc", -1), "");
}

TEST(Strings, PathParts) {
    const struct {
        std::string path, stripped, file, directory;
    } cases[] = {
        {"C:\\APP\\PROG.EXE", "C:\\APP\\PROG", "PROG.EXE", "C:\\APP"},
        {"C:\\APP.V1\\PROG.EXE", "C:\\APP", "PROG.EXE", "C:\\APP.V1"},  // the first dot of the whole path
        {"C:\\APP\\README", "C:\\APP\\README", "README", "C:\\APP"},
        {"A:\\SETUP.EXE", "A:\\SETUP", "SETUP.EXE", "A:\\"},  // a drive root keeps its backslash
        {"A:SETUP.EXE", "A:SETUP", "SETUP.EXE", "A:"},
        {"/tmp/x.tar.gz", "/tmp/x", "x.tar.gz", "/tmp"},
        {"/x", "/x", "x", "/"},
        {"name", "name", "name", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StripExtension(c.path), c.stripped) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.file) << c.path;
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
    }
}

}  // namespace
}  // namespace instalator::common
