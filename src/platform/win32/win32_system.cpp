#include "platform/win32/win32_system.hpp"

#include "platform/win32/win32_api.hpp"

#include <algorithm>
#include <functional>
#include <string>

#include "common/errors.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {
namespace {

// Calls a W function that fills a buffer of a given size and returns the length
// of the text (without its NUL), or the size it needs when the buffer is too small,
// or 0 for a failure; grows the buffer until the text fits.
std::optional<std::wstring> Fetch(const std::function<DWORD(wchar_t*, DWORD)>& call) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(std::max<std::size_t>(length + 1, buffer.size() * 2));
    }
}

// The same for a directory the system always has; not getting it is an error.
std::string Directory(const char* what, const std::function<DWORD(wchar_t*, DWORD)>& call) {
    const auto path = Fetch(call);
    if (!path) throw common::Error(std::string("cannot read the ") + what + " directory");
    return Narrow(*path);
}

}  // namespace

// GetModuleFileNameW fills the whole buffer (and may leave out the NUL) when it is
// too small, so the buffer grows until the path leaves room to spare.
// The program's name is quoted or ends at the first blank, as the C runtime reads it.
std::string Win32System::Arguments() {
    const std::wstring_view line = ::GetCommandLineW();
    std::size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        const std::size_t close = line.find(L'"', 1);
        at = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        at = std::min(line.find_first_of(L" \t"), line.size());
    }
    at = std::min(line.find_first_not_of(L" \t", at), line.size());
    return Narrow(std::wstring(line.substr(at)));
}

std::string Win32System::ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> Win32System::EnvironmentVariable(std::string_view name) {
    const std::wstring wide = Wide(name);
    ::SetLastError(ERROR_SUCCESS);
    const auto value = Fetch([&](wchar_t* buffer, DWORD size) {
        return ::GetEnvironmentVariableW(wide.c_str(), buffer, size);
    });
    if (value) return Narrow(*value);
    // A variable set to nothing has length 0 too; only a missing one says so.
    if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
}

std::string Win32System::WindowsDirectory() {
    return Directory("Windows", [](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
}

std::string Win32System::SystemDirectory() {
    return Directory("system", [](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::optional<std::int64_t> Win32System::FreeDiskSpace(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!::GetDiskFreeSpaceExW(Wide(root).c_str(), &available, &total, &free)) return std::nullopt;
    return static_cast<std::int64_t>(available.QuadPart);
}

std::string Win32System::CurrentDirectory() {
    return Directory("current", [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

bool Win32System::SetCurrentDirectory(const std::string& path) {
    return ::SetCurrentDirectoryW(Wide(path).c_str()) != 0;
}

}  // namespace instalator::platform::win32
