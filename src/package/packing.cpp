// Packing files into a package. These are the encoder's only users, kept apart from
// the reading side, so that a program that only unpacks carries no encoder.
#include <string>
#include <utility>
#include <vector>

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "package/catalogue.hpp"
#include "package/lzh.hpp"
#include "package/resource.hpp"
#include "package/version.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

// Deletes the scratch file when an operation ends, however it ends; a failure to
// delete it is ignored.
class ScratchRemover {
public:
    ScratchRemover(platform::FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    ~ScratchRemover() {
        try {
            fs_.RemoveFile(path_);
        } catch (const common::IoError&) {
            // Already gone, or never created.
        }
    }
    ScratchRemover(const ScratchRemover&) = delete;
    ScratchRemover& operator=(const ScratchRemover&) = delete;

private:
    platform::FileSystem& fs_;
    std::string path_;
};

}  // namespace

void TResourceClass::AddFile(const std::string& sourcePath) {
    held_.reset();  // the package is about to change
    TResourceEntry entry;
    entry.EntryName = common::LeftText(common::FileNamePart(sourcePath), static_cast<std::int32_t>(kMaxEntryName));
    {
        const auto source = fs_.Open(sourcePath, platform::OpenMode::Read);
        const std::int64_t size = source->Size();
        if (size > kMaxPackageSize) {
            throw FormatError(sourcePath + ": " + std::to_string(size) + " bytes is too large for a package");
        }
        entry.UnpackedSize = static_cast<std::int32_t>(size);
    }
    entry.FileVersion = ReadFileVersion(fs_, sourcePath);
    const std::string scratch = ScratchPath();
    const ScratchRemover remover(fs_, scratch);
    CompressFile(fs_, sourcePath, scratch, progress_);
    AppendScratchData(scratch, entry);
    entry.NextEntry = -1;
    AppendEntry(entry);
}

void AppendCatalogue(platform::FileSystem& fs, TResourceClass& volume) {
    if (volume.Entries().size() >= kMaxEntries) {
        throw FormatError("the package already holds 128 entries, leaving no room for its catalogue");
    }
    const auto file = fs.Open(volume.PackagePath(), platform::OpenMode::ReadWrite);
    std::vector<CatalogueRecord> records;
    for (const TResourceEntry& entry : volume.Entries()) records.push_back(RecordOf(*file, entry));
    const std::vector<std::uint8_t> bytes = Catalogue(std::move(records)).Encode();
    const std::vector<std::uint8_t> stream = CompressBytes(bytes);
    const std::int64_t end = file->Size();
    const std::int64_t newSize = end + static_cast<std::int64_t>(stream.size() + kEntrySize);
    if (newSize > kMaxPackageSize) {
        throw FormatError("with its catalogue the package would grow to " + std::to_string(newSize) +
                          " bytes, beyond 2147483647");
    }
    file->Seek(end);
    if (file->Write(stream.data(), stream.size()) != stream.size()) {
        throw common::IoError(common::kDiskWriteError, volume.PackagePath());
    }
    file->Close();
    TResourceEntry entry;
    entry.EntryName = std::string(kCatalogueName);
    entry.UnpackedSize = static_cast<std::int32_t>(bytes.size());
    entry.DataOffset = static_cast<std::int32_t>(end);
    entry.PackedSize = static_cast<std::int32_t>(stream.size());
    entry.NextEntry = -1;
    volume.AppendEntry(entry);
}

}  // namespace instalator::package
