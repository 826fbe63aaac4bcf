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
}

TEST(Text, EveryByteSurvivesTheRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1250FromUtf8(Utf8FromCp1250(all)), all);
    EXPECT_EQ(Cp1250FromUtf16(Utf16FromCp1250(all)), all);
}

TEST(Text, CharactersOutsideTheCodePage) {
    EXPECT_THROW(Cp1250(u8"日本"), Error);
    EXPECT_THROW(Cp1250FromUtf8("\xC3"), Error);  // a cut sequence
    EXPECT_EQ(Cp1250FromUtf16(u"a\u65E5b"), "a?b");
    // Lower-casing leaves letters without a small form in the code page alone.
    EXPECT_EQ(LowerCase("\xD7\xDF"), "\xD7\xDF");  // × and ß
}

}  // namespace
}  // namespace instalator::common
