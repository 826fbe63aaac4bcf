#include "uninstall/paths.hpp"

#include "common/text.hpp"

namespace instalator::uninstall {
namespace {

constexpr std::size_t kMaxPath = 259;
constexpr std::string_view kRefused = "<>:\"/|?*";

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == ' ' || name.back() == '.') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || kRefused.find(c) != std::string_view::npos) return false;
    }
    return true;
}

// Without the "\" at the end, except for a drive root.
std::string_view WithoutTrailingSeparator(std::string_view path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return path;
}

}  // namespace

bool IsPlainAbsolutePath(std::string_view path) {
    if (path.size() < 4 || path.size() > kMaxPath) return false;
    if (!IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return false;
    std::string_view rest = path.substr(3);
    for (;;) {
        const std::size_t stop = rest.find('\\');
        if (!IsPlainName(rest.substr(0, stop))) return false;
        if (stop == std::string_view::npos) return true;
        rest.remove_prefix(stop + 1);
    }
}

std::string ParentOf(std::string_view path) {
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string_view::npos) return {};
    return std::string(path.substr(0, last == 2 ? 3 : last));
}

bool IsInside(std::string_view inner, std::string_view outer) {
    outer = WithoutTrailingSeparator(outer);
    if (outer.empty()) return false;
    const std::string_view joint = outer.back() == '\\' ? "" : "\\";
    if (inner.size() <= outer.size() + joint.size()) return false;
    return common::SameText(inner.substr(0, outer.size()), outer) &&
           inner.substr(outer.size(), joint.size()) == joint;
}

ProtectedDirectories::ProtectedDirectories(std::string windows, std::string system)
    : windows_(WithoutTrailingSeparator(windows)), system_(WithoutTrailingSeparator(system)) {}

bool ProtectedDirectories::Contains(std::string_view directory) const {
    directory = WithoutTrailingSeparator(directory);
    if (directory.size() <= 3) return true;  // a drive root, or no directory at all
    for (const std::string& kept : {windows_, system_}) {
        if (common::SameText(directory, kept) || IsInside(kept, directory)) return true;
    }
    return false;
}

}  // namespace instalator::uninstall
