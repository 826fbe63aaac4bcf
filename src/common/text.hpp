#pragma once
// Text inside the system is a byte string in Windows code page 1250. These helpers
// convert at the edges (UTF-8 for a Linux terminal and file system, UTF-16 for the
// Windows W functions) and give the code page's letter-case rules.

#include <string>
#include <string_view>

namespace instalator::common {

// Converts UTF-8 to cp1250. Polish literals are written once, readable, as u8"…"
// and handed to the system through this. Throws common::TextError for a character
// that cp1250 cannot hold or for malformed UTF-8.
std::string Cp1250(std::u8string_view utf8);
std::string Cp1250FromUtf8(std::string_view utf8);

std::string Utf8FromCp1250(std::string_view text);
std::u16string Utf16FromCp1250(std::string_view text);
// Characters outside cp1250 become '?', as the platform's best-fit conversion does.
std::string Cp1250FromUtf16(std::u16string_view text);

// The Unicode character of one cp1250 byte. The five bytes that cp1250 leaves
// undefined map to the control characters of the same number, so every byte
// survives a round trip.
char16_t UnicodeOf(unsigned char byte);

// Lower-cases with the code page's rules (A-Z and the accented capitals, Polish
// ones included), as the platform's ANSI lower-casing does.
char LowerChar(char c);
std::string LowerCase(std::string_view text);
// Upper-cases with the same rules: the inverse of LowerChar.
char UpperChar(char c);
std::string UpperCase(std::string_view text);
// Equality without regard to letter case.
bool SameText(std::string_view a, std::string_view b);

}  // namespace instalator::common
