#include "common/text.hpp"

#include <gtest/gtest.h>

#include "common/errors.hpp"

namespace instalator::common {
namespace {

// All Polish letters, small and capital, with their cp1250 bytes.
TEST(Text, PolishLettersConvertBothWays) {
    const std::string utf8 = reinterpret_cast<const char*>(u8"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    const std::string cp1250 = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    EXPECT_EQ(Cp1250(u8"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"), cp1250);
    EXPECT_EQ(Utf8FromCp1250(cp1250), utf8);
    EXPECT_EQ(LowerCase(cp1250.substr(9)), cp1250.substr(0, 9));
    EXPECT_TRUE(SameText("SETUP.LST", "Setup.lst"));
    EXPECT_TRUE(SameText(Cp1250(u8"ŻÓŁW.TXT"), Cp1250(u8"żółw.txt")));
    EXPECT_FALSE(SameText("a", "ab"));
    // Lower-casing leaves letters without a small form in the code page alone.
    EXPECT_EQ(LowerCase("\xD7\xDF"), "\xD7\xDF");  // × and ß
}

TEST(Text, EveryByteSurvivesTheRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1250FromUtf8(Utf8FromCp1250(all)), all);
    EXPECT_EQ(Cp1250FromUtf16(Utf16FromCp1250(all)), all);
}

// The message of the error that refuses text, or "accepted".
std::string RefusalOf(std::string_view utf8) {
    try {
        Cp1250FromUtf8(utf8);
    } catch (const Error& error) {
        return error.what();
    }
    return "accepted";
}

// Letters that look like Polish ones, or whose Latin-1 byte is a Polish letter in
// cp1250 (ñ is 0xF1, which is ń), are refused, never replaced by a look-alike.
TEST(Text, CharactersOutsideTheCodePage) {
    const struct {
        std::u8string_view utf8;
        std::u16string_view utf16;  // empty where UTF-16 needs two units
        const char* code;
    } cases[] = {
        {u8"ñ", u"ñ", "U+00F1"}, {u8"ō", u"ō", "U+014D"},  {u8"ǫ", u"ǫ", "U+01EB"}, {u8"с", u"с", "U+0441"},
        {u8"ф", u"ф", "U+0444"}, {u8"日", u"日", "U+65E5"}, {u8"😀", u"", "U+1F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const std::string utf8(reinterpret_cast<const char*>(c.utf8.data()), c.utf8.size());
        EXPECT_EQ(RefusalOf("a" + utf8 + "b"), "character " + std::string(c.code) + " has no place in code page 1250");
        if (!c.utf16.empty()) {
            EXPECT_EQ(Cp1250FromUtf16(u"a" + std::u16string(c.utf16) + u"b"), "a?b");
        }
    }
}

// Cut sequences, stray continuation bytes, surrogates, code points beyond Unicode and
// longer forms of characters that have a shorter one ("/", "\", "." and others) are
// not text.
TEST(Text, MalformedUtf8IsRefused) {
    for (const std::string_view bad : {"\xC3", "\x80", "\xC0\xAF", "\xC1\x9C", "\xE0\x80\xAE", "\xE0\x9F\xBF",
                                       "\xF0\x80\x80\xAF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                       "\xF5\x80\x80\x80"}) {
        EXPECT_EQ(RefusalOf(bad), "malformed UTF-8 text") << ::testing::PrintToString(bad);
    }
    EXPECT_EQ(Cp1250FromUtf8("\xC2\xA0\xE2\x82\xAC"), "\xA0\x80");  // the shortest forms of U+00A0 and U+20AC
}

}  // namespace
}  // namespace instalator::common
