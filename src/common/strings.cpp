#include "common/strings.hpp"

#include "common/errors.hpp"

namespace instalator::common {
namespace {

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("\\/:"); }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    // Plain loops: the library's find_first_not_of makes a call per character.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string Blanks(std::int32_t count) { return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string(); }

std::string IntToText(std::int32_t value) { return std::to_string(value); }

std::string HexText(std::uint32_t value, int digits) {
    std::string text;
    do {
        text.insert(text.begin(), "0123456789ABCDEF"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

std::string LeftText(std::string_view text, std::int32_t count) {
    if (count <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string RightText(std::string_view text, std::int32_t count) {
    if (count <= 0) return {};
    const auto n = static_cast<std::size_t>(count);
    return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

std::string StripExtension(std::string_view path) { return std::string(path.substr(0, path.find('.'))); }

std::string FileNamePart(std::string_view path) {
    const auto pos = LastSeparator(path);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string DirectoryPart(std::string_view path) {
    const auto pos = LastSeparator(path);
    if (pos == std::string_view::npos) return {};
    if (path[pos] == ':') return std::string(path.substr(0, pos + 1));
    // "A:\name" and "/name" keep the separator of the root.
    const bool root = pos == 0 || (pos == 2 && path[1] == ':');
    return std::string(path.substr(0, root ? pos + 1 : pos));
}

std::string CommandWord(std::string_view path) {
    if (path.find_first_of(" \t") == std::string_view::npos) return std::string(path);
    return "\"" + std::string(path) + "\"";
}

}  // namespace instalator::common
