#pragma once
// cp1250 <-> UTF-16 at the boundary of the W functions.

#include <string>
#include <string_view>

namespace instalator::platform::win32 {

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
// The cp1250 byte of one UTF-16 unit typed by the user; '?' when it has none.
char Cp1250Char(wchar_t unit);

}  // namespace instalator::platform::win32
