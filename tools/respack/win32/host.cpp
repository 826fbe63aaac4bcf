// respack on Windows: console output through the wide API, other output as UTF-8.

#include "host.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "common/errors.hpp"
#include "common/text.hpp"

namespace instalator::respack {
namespace {

HANDLE Handle(Stream stream) { return ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

std::wstring Wide(std::string_view text) {
    const std::u16string utf16 = common::Utf16FromCp1250(text);
    return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

void Write(Stream stream, std::string_view text) {
    const HANDLE handle = Handle(stream);
    if (IsTerminal(stream)) {
        const std::wstring wide = Wide(text);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::FILE* file = stream == Stream::Out ? stdout : stderr;
    const std::string utf8 = common::Utf8FromCp1250(text);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fflush(file);
}

bool IsTerminal(Stream stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(Handle(stream), &mode) != 0;
}

std::optional<std::string> Environment(std::string_view name) {
    const wchar_t* value = ::_wgetenv(Wide(name).c_str());
    if (value == nullptr) return std::nullopt;
    const std::u16string wide(value, value + std::wcslen(value));
    std::string text = common::Cp1250FromUtf16(wide);
    if (common::Utf16FromCp1250(text) != wide) return std::nullopt;
    return text;
}

std::string CreatePrivateDirectory(const std::string& parent) {
    const std::string stem = parent + "respack-" + std::to_string(::GetCurrentProcessId()) + "-";
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < 1000 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::string path = stem + std::to_string(attempt);
        if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return path + "\\";
        error = ::GetLastError();
    }
    throw common::Error("cannot create a temporary directory in " + parent + ": " +
                        common::IoError::TextFor(static_cast<int>(error)));
}

void RemoveEmptyDirectory(const std::string& path) { ::RemoveDirectoryW(Wide(path).c_str()); }

}  // namespace instalator::respack
