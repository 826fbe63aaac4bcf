#include "platform/win32/wide.hpp"

#include "common/text.hpp"

namespace instalator::platform::win32 {

// wchar_t is a UTF-16 unit on Windows, so the conversion is unit by unit.
std::wstring Wide(std::string_view text) {
    const std::u16string utf16 = common::Utf16FromCp1250(text);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string Narrow(std::wstring_view text) {
    return common::Cp1250FromUtf16(std::u16string(text.begin(), text.end()));
}

char Cp1250Char(wchar_t unit) { return Narrow(std::wstring_view(&unit, 1)).front(); }

}  // namespace instalator::platform::win32
