#pragma once
// The fixed file version of a Windows executable or library: the VS_FIXEDFILEINFO
// of the first RT_VERSION resource of a PE file (32- or 64-bit), read portably.

#include <cstdint>
#include <string>

namespace instalator::platform {
class FileSystem;
}

namespace instalator::package {

struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
    bool operator==(const FileVersion&) const = default;
    auto operator<=>(const FileVersion&) const = default;
};

// All zeros for a file that is not a PE file, has no version resource, or cannot be
// read. Never throws for damaged input.
FileVersion ReadFileVersion(platform::FileSystem& fs, const std::string& path);

}  // namespace instalator::package
