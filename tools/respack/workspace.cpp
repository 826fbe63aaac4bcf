#include "workspace.hpp"

#include <array>

#include "common/errors.hpp"
#include "host.hpp"
#include "package/temp_dir.hpp"
#include "platform/file_system.hpp"
#include "report.hpp"

namespace instalator::respack {

PrivateTempDir::PrivateTempDir(platform::FileSystem& fs)
    : fs_(fs), path_(CreatePrivateDirectory(package::TempDirFromEnvironment(Environment, fs.Separator()))) {}

PrivateTempDir::~PrivateTempDir() {
    try {
        for (const auto& entry : fs_.ListDirectory(path_)) {
            if (!entry.isDirectory) fs_.RemoveFile(path_ + entry.name);
        }
    } catch (const common::IoError&) {
        // Whatever cannot be removed stays; the directory removal below then fails too.
    }
    RemoveEmptyDirectory(path_);
}

std::int64_t ReadPackage(platform::FileSystem& fs, const std::string& path, package::PackageDirectory& dir) {
    const auto file = fs.Open(path, platform::OpenMode::Read);
    const std::int64_t size = file->Size();
    package::ReadDirectory(*file, size, dir);
    file->Close();
    if (!dir.Header.HasMagic()) Warn(path, "the header does not start with the package's magic text");
    return size;
}

std::int32_t ReadStreamLength(platform::File& file, const package::TResourceEntry& entry) {
    std::array<std::uint8_t, 4> field{};
    file.Seek(entry.DataOffset);
    if (file.Read(field.data(), field.size()) != field.size()) {
        throw package::FormatError("entry " + Quoted(entry.EntryName) + ": stream cut short by the end of the file");
    }
    return static_cast<std::int32_t>(std::uint32_t{field[0]} | (std::uint32_t{field[1]} << 8) |
                                     (std::uint32_t{field[2]} << 16) | (std::uint32_t{field[3]} << 24));
}

std::string LengthMismatch(std::int32_t length, const package::TResourceEntry& entry) {
    return "stream length field " + std::to_string(length) + " differs from the unpacked size " +
           std::to_string(entry.UnpackedSize);
}

std::string JoinPath(const std::string& directory, const std::string& name, char separator) {
    if (directory.empty() || directory.back() == separator) return directory + name;
    return directory + separator + name;
}

}  // namespace instalator::respack
