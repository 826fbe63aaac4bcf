#pragma once
// A registry key presented like a profile file: a section is a subkey of the open
// key, a name is a string value in that subkey. Nothing is cached; every call goes
// to the registry.

#include <memory>
#include <string>
#include <string_view>

#include "common/errors.hpp"
#include "platform/registry.hpp"

namespace instalator::profile {

// A registry key that could not be created or a value that could not be stored.
class RegistryError : public common::Error {
public:
    using common::Error::Error;
};

// Paths of keys and sections that begin with "\" are taken from the root key, any
// other path from the open key.
class TRegIniFile {
public:
    // Opens keyPath below HKEY_CURRENT_USER, creating it when missing.
    TRegIniFile(platform::Registry& registry, std::string_view keyPath);

    platform::RootKey Root() const { return root_; }
    // Closes the open key; the new root key itself becomes the open key.
    void SetRoot(platform::RootKey root);
    // Makes the key at path the open key, creating it when missing if canCreate
    // allows. When that fails, false, and no key is open until the next success:
    // sections then read as missing and cannot be written, rather than landing in
    // another key.
    bool OpenKey(std::string_view path, bool canCreate);

    // The string value name of the section's subkey, or defaultValue when the subkey,
    // the value or a string in it is missing.
    std::string ReadText(std::string_view section, std::string_view name, std::string_view defaultValue) const;
    // Stores value as a string value name of the section's subkey, created when
    // missing. Throws RegistryError "Failed to create key <section>" or "Failed to set
    // data for '<name>'".
    void WriteText(std::string_view section, std::string_view name, std::string_view value);

private:
    std::unique_ptr<platform::RegistryKey> Reach(std::string_view path, bool create, platform::KeyAccess access) const;

    platform::Registry& registry_;
    platform::RootKey root_ = platform::RootKey::CurrentUser;
    std::unique_ptr<platform::RegistryKey> key_;  // the open key; none after a failed OpenKey
};

}  // namespace instalator::profile
