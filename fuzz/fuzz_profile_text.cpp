// Feeds arbitrary profile text, section, key and value (separated by NUL bytes) to
// the profile reader and writer. Neither may fail; a value written must read back
// as written, and a second write of it must change nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "profile/ini_file.hpp"

namespace {

using instalator::profile::FindProfileValue;
using instalator::profile::WithProfileValue;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Names and values that the profile format can hold: no line breaks, and keys that
// read as keys (no "=", not starting like a comment or a section).
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
    for (const std::string_view part : {section, key, value}) {
        if (part.find_first_of("\r\n") != std::string_view::npos) return false;
    }
    const std::string_view name = Trim(key);
    return key.find('=') == std::string_view::npos && (name.empty() || (name[0] != ';' && name[0] != '['));
}

std::string ReadAs(std::string_view value) {
    value = Trim(value);
    const bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    return std::string(quoted ? value.substr(1, value.size() - 2) : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> parts;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (parts.size() < 3) {
        const std::size_t stop = rest.find('\0');
        if (stop == std::string_view::npos) break;
        parts.push_back(rest.substr(0, stop));
        rest.remove_prefix(stop + 1);
    }
    parts.push_back(rest);
    parts.resize(4);
    const std::string_view text = parts[0], section = parts[1], key = parts[2], value = parts[3];

    (void)FindProfileValue(text, section, key);
    const std::string written = WithProfileValue(text, section, key, value);
    if (!Writable(section, key, value)) return 0;
    const auto read = FindProfileValue(written, section, key);
    if (!read || *read != ReadAs(value)) std::abort();
    if (WithProfileValue(written, section, key, value) != written) std::abort();
    return 0;
}
