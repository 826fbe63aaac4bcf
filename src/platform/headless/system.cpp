#include "platform/headless/system.hpp"

#include "common/text.hpp"

namespace instalator::platform {
namespace {


}  // namespace

void HeadlessSystem::SetEnvironmentVariable(std::string_view name, std::optional<std::string> value) {
    const std::string key = common::LowerCase(name);
    if (value) {
        environment_[key] = std::move(*value);
    } else {
        environment_.erase(key);
    }
}

std::optional<std::string> HeadlessSystem::EnvironmentVariable(std::string_view name) {
    const auto found = environment_.find(common::LowerCase(name));
    if (found == environment_.end()) return std::nullopt;
    return found->second;
}

void HeadlessSystem::SetFreeDiskSpace(char drive, std::optional<std::int64_t> bytes) {
    freeSpace_[common::UpperChar(drive)] = bytes;
}

std::optional<std::int64_t> HeadlessSystem::FreeDiskSpace(const std::string& root) {
    // The query takes a drive root such as "C:\" and nothing else.
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\') return std::nullopt;
    const char drive = common::UpperChar(root[0]);
    if (!files_.IsMapped(drive)) return std::nullopt;
    const auto set = freeSpace_.find(drive);
    return set == freeSpace_.end() ? std::optional<std::int64_t>(kDefaultFreeSpace) : set->second;
}

}  // namespace instalator::platform
