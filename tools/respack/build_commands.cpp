// create and add: the commands that write packages.

#include "common/strings.hpp"
#include "commands.hpp"
#include "package/catalogue.hpp"
#include "packer.hpp"
#include "platform/file_system.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

// Tells about names that the installer will not see as given.
void WarnAboutName(const package::TResourceClass& pkg, const std::string& file) {
    const std::string name = common::FileNamePart(file);
    const auto limit = static_cast<std::int32_t>(package::kMaxEntryName);
    if (name.size() > package::kMaxEntryName) {
        Warn(pkg.PackagePath(), Quoted(name) + " is stored cut to 80 characters, as " + Quoted(common::LeftText(name, limit)));
    }
    const std::string stored = common::LeftText(name, limit);
    if (!pkg.FindEntry(stored).EntryName.empty()) {
        Warn(pkg.PackagePath(), "an entry named " + Quoted(stored) +
                                    " is already in the package; lookups keep finding the older one");
    }
}

// Writes a fresh catalogue as the last entry, when the 128 entries leave room for
// one: files are never refused for its sake.
void WriteCatalogue(platform::FileSystem& fs, package::TResourceClass& pkg) {
    if (pkg.Entries().size() >= package::kMaxEntries) {
        Warn(pkg.PackagePath(), "the package holds 128 entries, the most it can, so it is written without a catalogue");
        return;
    }
    package::AppendCatalogue(fs, pkg);
}

// After a failed add: a catalogue that cannot be written either is only warned
// about, so that the failure which ended the add is the one reported.
void WriteCatalogueAfterFailure(platform::FileSystem& fs, package::TResourceClass& pkg) {
    try {
        WriteCatalogue(fs, pkg);
    } catch (const common::Error& e) {
        Warn(pkg.PackagePath(), std::string("no catalogue written: ") + e.what());
    }
}

// Appends a packed file's stream at the end of the package and links its entry
// after the others: the bytes AddFile writes for the same file.
void AppendPacked(platform::FileSystem& fs, package::TResourceClass& pkg, const PackedFile& file) {
    package::TResourceEntry entry;
    entry.EntryName = common::LeftText(common::FileNamePart(file.source), static_cast<std::int32_t>(package::kMaxEntryName));
    entry.UnpackedSize = file.unpackedSize;
    entry.FileVersion = file.version;
    entry.PackedSize = file.packedSize;
    entry.NextEntry = -1;
    {
        const auto out = fs.Open(pkg.PackagePath(), platform::OpenMode::ReadWrite);
        const std::int64_t end = out->Size();
        if (pkg.Entries().size() >= package::kMaxEntries) throw package::FormatError("the package already holds 128 entries");
        const std::int64_t size = end + file.packedSize + static_cast<std::int64_t>(package::kEntrySize);
        if (size > package::kMaxPackageSize) {
            throw package::FormatError("the package would grow to " + std::to_string(size) + " bytes, beyond 2147483647");
        }
        const auto in = fs.Open(file.stream, platform::OpenMode::Read);
        out->Seek(end);
        std::vector<char> block(1 << 16);
        while (const std::size_t got = in->Read(block.data(), block.size())) {
            if (out->Write(block.data(), got) != got) throw common::IoError(common::kDiskWriteError, pkg.PackagePath());
        }
        out->Close();
        entry.DataOffset = static_cast<std::int32_t>(end);
    }
    pkg.AppendEntry(entry);
}

// Packs the files on every core (or -j N), then appends them in the order given;
// a file that cannot be packed ends the add after the files before it.
void AddFiles(platform::FileSystem& fs, package::TResourceClass& pkg, const Arguments& args,
              const std::string& scratch) {
    const std::vector<std::string> files(args.operands.begin() + 1, args.operands.end());
    std::int64_t total = 0;
    for (const std::string& file : files) {
        try {
            total += fs.Open(file, platform::OpenMode::Read)->Size();
        } catch (const common::IoError&) {
            // Reported, in its turn, by the packing.
        }
    }
    ProgressDisplay progress(!args.quiet);
    progress.Start("packing " + std::to_string(files.size()) + " files", total);
    const std::vector<PackedFile> packed = PackFiles(fs, files, scratch, args.jobs == 0 ? DefaultThreads() : args.jobs,
                                                     [&](std::int64_t done) { progress.Update(done); });
    progress.Finish();
    for (const PackedFile& file : packed) {
        if (file.failure) std::rethrow_exception(file.failure);
        WarnAboutName(pkg, file.source);
        AppendPacked(fs, pkg, file);
    }
}

}  // namespace

int CreateCommand(const Arguments& args) {
    package::WriteEmptyPackage(platform::HostFileSystem(), args.operands.front());
    return kSuccess;
}

int AddCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& path = args.operands.front();
    package::PackageDirectory dir;
    ReadPackage(fs, path, dir);
    const PrivateTempDir temp(fs);
    package::TResourceClass pkg(fs, temp.Path());
    if (!pkg.OpenPackage(path)) throw package::FormatError("the package changed while it was being read");
    // The old catalogue goes first, so that the files follow the entries it covered.
    package::RemoveCatalogue(fs, pkg);
    try {
        AddFiles(fs, pkg, args, temp.Path());
    } catch (const common::Error&) {
        // The files packed before the failure stay, and get their catalogue as usual.
        if (args.catalogue) WriteCatalogueAfterFailure(fs, pkg);
        throw;
    }
    if (args.catalogue) WriteCatalogue(fs, pkg);
    return kSuccess;
}

}  // namespace instalator::respack
