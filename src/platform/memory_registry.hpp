#pragma once
// A registry held in memory: the store of the headless machine and of tests. Keys
// can be protected to make opening or writing them fail as missing rights would, and
// the whole tree can be listed for inspection.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry.hpp"

namespace instalator::platform {

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

enum class KeyProtection {
    None,           // anything goes
    ReadOnly,       // opens for reading only; no values stored, no subkeys created in it
    Denied,         // does not open at all
    RefusesValues,  // opens, but stores no values, as a registry out of space would
};

class MemoryRegistry final : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    std::unique_ptr<RegistryKey> OpenRoot(RootKey root) override;

    // Protects the key at path below root (made first when missing). Keys already
    // open keep the access they were opened with. For this and SetValue, a path
    // with an empty name in it throws std::invalid_argument.
    void Protect(RootKey root, const std::string& path, KeyProtection protection);
    // Stores a value of any type and contents (made with its key when missing),
    // whatever the protection, for setting up what the installer only reads.
    void SetValue(RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
                  const std::string& data);

    // The whole tree, keys in the order they were made: a line with the full path of
    // every key that is not a root or holds values, then one line per value,
    //   "  <name> = <type> \"<data>\"",
    // the type as REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD or its number, the data
    // with every byte outside 0x20..0x7E written as \xNN (the NUL of a string too).
    std::string Dump() const;

    struct Node;  // one key, with its values and subkeys

private:
    Node& NodeAt(RootKey root, const std::string& path);

    std::unique_ptr<Node> currentUser_;
    std::unique_ptr<Node> localMachine_;
};

}  // namespace instalator::platform
