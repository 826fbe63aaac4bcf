#pragma once
// The fixed file version of a Windows executable or library, read portably from the
// PE file (32- or 64-bit) the way the system's version functions find it: resource
// type 16 (version), resource number 1, the language a Polish system picks (neutral,
// then Polish, then US English, else the first one), and from that block the
// VS_FIXEDFILEINFO's dwFileVersionMS and dwFileVersionLS.

#include <cstdint>
#include <string>

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

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

// The same for a file already open: only the headers and the resource pieces on the
// way to the version are read, wherever the file's position was. Read failures of
// the file (common::IoError) also give all zeros.
FileVersion ReadFileVersion(platform::File& file);

}  // namespace instalator::package
