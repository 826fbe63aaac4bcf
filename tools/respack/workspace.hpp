#pragma once
// What the commands share: the package read with diagnosis, and a private
// temporary directory for the scratch file.

#include <cstdint>
#include <string>

#include "package/resource.hpp"

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

namespace instalator::respack {

// A directory of this run's own under the system's temporary directory, so that no
// other process shares the fixed scratch name; removed, with whatever is left in
// it, when the run ends, however it ends.
class PrivateTempDir {
public:
    explicit PrivateTempDir(platform::FileSystem& fs);
    ~PrivateTempDir();
    PrivateTempDir(const PrivateTempDir&) = delete;
    PrivateTempDir& operator=(const PrivateTempDir&) = delete;

    // Ends with the separator.
    const std::string& Path() const { return path_; }

private:
    platform::FileSystem& fs_;
    std::string path_;
};

// Reads the directory of the package at path into dir and returns the file's size.
// A missing or unreadable file throws common::IoError, damage package::FormatError;
// dir keeps the entries read before the damage. A header without the package's
// magic text is only warned about: the installer does not look at it.
std::int64_t ReadPackage(platform::FileSystem& fs, const std::string& path, package::PackageDirectory& dir);

// The length field at the start of entry's stream: the number of bytes the decoder
// produces, which should equal the entry's UnpackedSize. Throws FormatError when the
// file ends first.
std::int32_t ReadStreamLength(platform::File& file, const package::TResourceEntry& entry);

// "stream length field 5 differs from the unpacked size 3"
std::string LengthMismatch(std::int32_t length, const package::TResourceEntry& entry);

// path inside directory, with one separator between them.
std::string JoinPath(const std::string& directory, const std::string& name, char separator);

}  // namespace instalator::respack
