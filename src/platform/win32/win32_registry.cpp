#include "platform/win32/win32_registry.hpp"

#include "platform/win32/win32_api.hpp"

#include <utility>
#include <vector>

#include "platform/win32/handle.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {
namespace {

REGSAM Rights(KeyAccess access) { return access == KeyAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE; }

// An open key. A root key is one of the predefined handles, which is never closed.
class Win32Key final : public RegistryKey {
public:
    Win32Key(HKEY key, bool owned) : key_(key), owner_(owned ? key : nullptr) {}

    std::unique_ptr<RegistryKey> OpenSubKey(const std::string& path, KeyAccess access) override {
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key_, Wide(path).c_str(), 0, Rights(access), &sub) != ERROR_SUCCESS) return nullptr;
        return std::make_unique<Win32Key>(sub, true);
    }

    std::unique_ptr<RegistryKey> CreateSubKey(const std::string& path) override {
        HKEY sub = nullptr;
        if (::RegCreateKeyExW(key_, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              Rights(KeyAccess::Full), nullptr, &sub, nullptr) != ERROR_SUCCESS)
            return nullptr;
        return std::make_unique<Win32Key>(sub, true);
    }

    std::optional<std::string> QueryString(const std::string& name) override;

    bool SetString(const std::string& name, const std::string& text) override {
        const std::wstring data = Wide(text);
        const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key_, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                bytes) == ERROR_SUCCESS;
    }

    bool DeleteSubKey(const std::string& name) override {
        return ::RegDeleteKeyW(key_, Wide(name).c_str()) == ERROR_SUCCESS;
    }

private:
    HKEY key_;
    // Closes the key when it is one this process opened.
    KeyHandle owner_;
};

// The value may change between asking for its size and reading it, so the read is
// repeated while the buffer turns out too small.
std::optional<std::string> Win32Key::QueryString(const std::string& name) {
    const std::wstring wideName = Wide(name);
    DWORD type = 0;
    DWORD bytes = 0;
    LONG result = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &bytes);
    std::vector<wchar_t> buffer;
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = bytes;
        result = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                    &got);
        if (result == ERROR_SUCCESS) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
            // The stored data need not end with a NUL; the extra unit of the buffer holds one.
            const std::size_t units = got / sizeof(wchar_t);
            std::wstring_view text(buffer.data(), units);
            return Narrow(text.substr(0, text.find(L'\0')));
        }
        bytes = got;
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenRoot(RootKey root) {
    return std::make_unique<Win32Key>(root == RootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, false);
}

}  // namespace instalator::platform::win32
