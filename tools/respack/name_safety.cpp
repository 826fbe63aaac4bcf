#include "name_safety.hpp"

#include <algorithm>
#include <array>

#include "common/text.hpp"

namespace instalator::respack {
namespace {

bool IsReservedDevice(std::string_view name) {
    // Windows ignores the extension and blanks before it when it looks for a device.
    std::string stem = common::LowerCase(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' &&
           stem[3] <= '9';
}

}  // namespace

std::string UnsafeNameReason(std::string_view name) {
    if (name.empty()) return "an empty name";
    if (name == "." || name == "..") return "a name that refers to a directory";
    if (name.find_first_of("/\\") != std::string_view::npos) return "a name with a path separator";
    if (name.find(':') != std::string_view::npos) return "a name with a drive or stream colon";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return "a name with control characters";
    }
    if (IsReservedDevice(name)) return "a device name reserved by Windows";
    return {};
}

}  // namespace instalator::respack
