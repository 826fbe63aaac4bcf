#pragma once
// Small text and path routines shared by every layer. Strings are cp1250 bytes;
// counts are characters. None of them fails.

#include <cstdint>
#include <string>
#include <string_view>

namespace instalator::common {

// Count blanks; empty for 0 or less.
std::string Blanks(std::int32_t count);
// Decimal digits, with a minus sign for negative values.
std::string IntToText(std::int32_t value);
// Upper-case hexadecimal digits of value, padded with zeros to at least digits.
std::string HexText(std::uint32_t value, int digits);
// The first count characters (all of text when shorter, empty for 0 or less).
std::string LeftText(std::string_view text, std::int32_t count);
// The last count characters (all of text when shorter, empty for 0 or less).
std::string RightText(std::string_view text, std::int32_t count);
// Path cut before its first "." anywhere in the string; unchanged without a ".".
std::string StripExtension(std::string_view path);
// text without the blanks and tabs at its two ends.
std::string_view TrimBlanks(std::string_view text);
// The part after the last "\", "/" or ":".
std::string FileNamePart(std::string_view path);
// The part before the last "\", "/" or ":", without that separator, except that a
// drive root such as "A:\" keeps it.
std::string DirectoryPart(std::string_view path);
// A path as one word of a command line: in quotation marks when it holds a blank or
// a tab, as it is otherwise. Windows paths cannot hold quotation marks.
std::string CommandWord(std::string_view path);

}  // namespace instalator::common
