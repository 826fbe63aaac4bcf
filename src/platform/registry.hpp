#pragma once
// The registry interface: a hierarchical store of keys that hold named values, as
// the installer uses it (the per-user Start-menu folder, the uninstall entry). Key
// paths are cp1250 names separated by "\" and matched without regard to letter case;
// an empty path names the key itself. Failures are results, not exceptions: the
// registry wrapper decides which of them are errors.

#include <memory>
#include <optional>
#include <string>

namespace instalator::platform {

enum class RootKey {
    CurrentUser,   // HKEY_CURRENT_USER
    LocalMachine,  // HKEY_LOCAL_MACHINE
};

enum class KeyAccess {
    Read,  // query values, open subkeys
    Full,  // also store values and create subkeys
};

// An open key; closed when the object goes. It must not outlive its registry.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The existing key at path below this one; nullptr when it is missing or the
    // access is refused.
    virtual std::unique_ptr<RegistryKey> OpenSubKey(const std::string& path, KeyAccess access) = 0;
    // The key at path below this one with full access, created with any missing keys
    // on the way; nullptr when that fails.
    virtual std::unique_ptr<RegistryKey> CreateSubKey(const std::string& path) = 0;
    // The contents of a string value (REG_SZ or REG_EXPAND_SZ) up to its first NUL;
    // nothing when the value is missing, of another type or cannot be read.
    virtual std::optional<std::string> QueryString(const std::string& name) = 0;
    // Stores name as a REG_SZ value: the text and its terminating NUL. False when the
    // value cannot be stored (the key was opened for reading, access refused).
    virtual bool SetString(const std::string& name, const std::string& text) = 0;
    // Deletes the subkey called name, with its values, when it has no subkeys of its
    // own. False when it is missing, holds subkeys or may not be deleted.
    virtual bool DeleteSubKey(const std::string& name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // One of the root keys; what it allows depends on the rights of the process.
    virtual std::unique_ptr<RegistryKey> OpenRoot(RootKey root) = 0;
};

}  // namespace instalator::platform
