#include "package/temp_dir.hpp"

#include <array>

namespace instalator::package {
namespace {

constexpr std::array<std::string_view, 4> kWindowsVariables = {"temp", "tmp", "USERPROFILE", "windir"};
constexpr std::array<std::string_view, 3> kPosixVariables = {"TEMP", "TMP", "TMPDIR"};

template <std::size_t N>
std::string FirstSet(const EnvironmentLookup& lookup, const std::array<std::string_view, N>& names,
                     std::string_view fallback) {
    for (const std::string_view name : names) {
        if (const auto value = lookup(name); value && !value->empty()) return *value;
    }
    return std::string(fallback);
}

}  // namespace

std::string TempDirFromEnvironment(const EnvironmentLookup& lookup, char separator) {
    std::string dir = separator == '\\' ? FirstSet(lookup, kWindowsVariables, "C:\\TEMP")
                                        : FirstSet(lookup, kPosixVariables, "/tmp");
    if (dir.back() != separator) dir += separator;
    return dir;
}

}  // namespace instalator::package
