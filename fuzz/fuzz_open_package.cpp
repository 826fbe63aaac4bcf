// Opens fuzzer-made bytes as a package, the way the installer and respack do.
// Reading the directory must end in a result or a FormatError, never a crash or a
// hang; the installer's OpenPackage must agree with the reader; unpacking or
// decoding an entry of an accepted package must stay inside its sizes; and reading
// its catalogue must end in one, none or a FormatError.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/errors.hpp"
#include "package/catalogue.hpp"
#include "package/lzh.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"

namespace {

using namespace instalator;

// Unpacked bytes one input may cost, so that each run stays short.
constexpr std::int64_t kUnpackBudget = 1 << 16;

std::string& WorkDirPath() {
    static std::string dir;
    return dir;
}

void RemoveWorkDir() {
    std::error_code ignored;
    std::filesystem::remove_all(WorkDirPath(), ignored);
}

// A directory of this run's own for the package, the scratch file and the output;
// removed when the fuzzer ends.
const std::string& WorkDir() {
    std::string& dir = WorkDirPath();
    if (dir.empty()) {
        // Memory-backed where there is such a directory: every run writes files.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "fuzz_open_package-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir = pattern + "/";
        std::atexit(RemoveWorkDir);
    }
    return dir;
}

void WriteFile(platform::FileSystem& fs, const std::string& path, const std::uint8_t* data, std::size_t size) {
    const auto file = fs.Open(path, platform::OpenMode::Create);
    if (file->Write(data, size) != size) std::abort();
    file->Close();
}

bool ReaderAccepts(platform::FileSystem& fs, const std::string& path, package::PackageDirectory& dir) {
    const auto file = fs.Open(path, platform::OpenMode::Read);
    try {
        package::ReadDirectory(*file, file->Size(), dir);
        return true;
    } catch (const package::FormatError&) {
        return false;
    }
}

// The length field at the start of the entry's stream, which the decoder goes by.
std::int32_t StreamLength(platform::File& file, const package::TResourceEntry& entry) {
    std::uint8_t field[4] = {};
    file.Seek(entry.DataOffset);
    if (file.Read(field, 4) != 4) std::abort();  // the reader checked that the stream lies in the file
    return static_cast<std::int32_t>(field[0] | (field[1] << 8) | (field[2] << 16) |
                                     (static_cast<std::uint32_t>(field[3]) << 24));
}

// Unpacking gives exactly the entry's size or refuses the entry as damaged; decoding
// without writing agrees on which.
void UnpackAndDecode(package::TResourceClass& pkg, platform::File& file, const package::TResourceEntry& entry,
                     std::int32_t length) {
    file.Seek(entry.DataOffset + 4);
    std::int64_t decoded = 0;
    const package::DecodeResult tested = package::DecodeStream(
        file, entry.PackedSize - 4, length,
        [&](const std::uint8_t*, std::size_t size) { decoded += static_cast<std::int64_t>(size); });
    if (decoded != tested.bytesWritten) std::abort();
    const bool whole = length == entry.UnpackedSize && !tested.inputExhausted && tested.bytesWritten == length;
    try {
        const package::DecodeResult unpacked = pkg.ExtractEntry(entry, WorkDir() + "out");
        if (!whole || unpacked.bytesWritten != length) std::abort();
    } catch (const package::DamagedEntry&) {
        if (whole) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string path = WorkDir() + "p.res";
    WriteFile(fs, path, data, size);

    package::TResourceClass pkg(fs, WorkDir());
    const bool opened = pkg.OpenPackage(path);
    package::PackageDirectory dir;
    if (ReaderAccepts(fs, path, dir) != opened || dir.Entries != pkg.Entries()) std::abort();
    if (pkg.Entries().size() > package::kMaxEntries) std::abort();
    if (!opened) return 0;
    try {
        package::ReadCatalogue(fs, pkg);
    } catch (const package::FormatError&) {
        // A damaged catalogue is refused; anything else escapes and ends the run.
    }

    const auto file = fs.Open(path, platform::OpenMode::Read);
    std::int64_t budget = kUnpackBudget;
    for (const package::TResourceEntry& entry : pkg.Entries()) {
        if (pkg.FindEntry(entry.EntryName).EntryName.size() != entry.EntryName.size()) std::abort();
        const std::int32_t length = StreamLength(*file, entry);
        budget -= std::max(length, 0);
        if (budget < 0) break;
        UnpackAndDecode(pkg, *file, entry, length);
    }
    return 0;
}
