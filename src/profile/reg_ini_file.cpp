#include "profile/reg_ini_file.hpp"

namespace instalator::profile {

using platform::KeyAccess;
using platform::RegistryKey;

TRegIniFile::TRegIniFile(platform::Registry& registry, std::string_view keyPath)
    : registry_(registry), key_(registry.OpenRoot(root_)) {
    OpenKey(keyPath, true);
}

void TRegIniFile::SetRoot(platform::RootKey root) {
    root_ = root;
    key_ = registry_.OpenRoot(root);
}

bool TRegIniFile::OpenKey(std::string_view path, bool canCreate) {
    key_ = Reach(path, canCreate, KeyAccess::Full);
    return key_ != nullptr;
}

std::string TRegIniFile::ReadText(std::string_view section, std::string_view name,
                                  std::string_view defaultValue) const {
    auto key = Reach(section, false, KeyAccess::Full);
    if (key == nullptr) key = Reach(section, false, KeyAccess::Read);
    if (key == nullptr) return std::string(defaultValue);
    return key->QueryString(std::string(name)).value_or(std::string(defaultValue));
}

void TRegIniFile::WriteText(std::string_view section, std::string_view name, std::string_view value) {
    const auto key = Reach(section, true, KeyAccess::Full);
    if (key == nullptr) throw RegistryError("Failed to create key " + std::string(section));
    if (!key->SetString(std::string(name), std::string(value))) {
        throw RegistryError("Failed to set data for '" + std::string(name) + "'");
    }
}

std::unique_ptr<RegistryKey> TRegIniFile::Reach(std::string_view path, bool create, KeyAccess access) const {
    std::unique_ptr<RegistryKey> root;
    RegistryKey* base = key_.get();
    if (!path.empty() && path.front() == '\\') {
        root = registry_.OpenRoot(root_);
        base = root.get();
        path.remove_prefix(1);
    }
    if (base == nullptr) return nullptr;
    const std::string below(path);
    return create ? base->CreateSubKey(below) : base->OpenSubKey(below, access);
}

}  // namespace instalator::profile
