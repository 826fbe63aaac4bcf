// extract: unpacks entries into a directory, writing nothing outside it.

#include <algorithm>

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "commands.hpp"
#include "name_safety.hpp"
#include "package/catalogue.hpp"
#include "platform/file_system.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

using package::TResourceEntry;

struct Selection {
    std::vector<TResourceEntry> entries;
    int status = kSuccess;
};

bool Holds(const std::vector<TResourceEntry>& entries, const std::string& name) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const TResourceEntry& entry) { return common::SameText(entry.EntryName, name); });
}

// Every entry, except those whose name an earlier entry already has (lookups by
// name, the installer's included, only ever find the first) and the catalogue,
// which is no file.
Selection SelectAll(const package::TResourceClass& pkg) {
    Selection selection;
    for (const TResourceEntry& entry : pkg.Entries()) {
        if (package::IsCatalogueEntry(entry)) continue;
        if (Holds(selection.entries, entry.EntryName)) {
            Warn(pkg.PackagePath(), "entry " + Quoted(entry.EntryName) + " skipped: an earlier entry has that name");
            continue;
        }
        selection.entries.push_back(entry);
    }
    return selection;
}

Selection SelectNamed(const package::TResourceClass& pkg, const std::vector<std::string>& names) {
    Selection selection;
    for (const std::string& name : names) {
        if (Holds(selection.entries, name)) continue;
        const auto found = std::find_if(pkg.Entries().begin(), pkg.Entries().end(),
                                        [&](const TResourceEntry& entry) { return common::SameText(entry.EntryName, name); });
        if (found == pkg.Entries().end()) {
            Complain(pkg.PackagePath(), "no entry named " + Quoted(name));
            selection.status = kFailure;
            continue;
        }
        selection.entries.push_back(*found);
    }
    return selection;
}

void EnsureDirectory(platform::FileSystem& fs, const std::string& dir) {
    if (fs.DirectoryExists(dir)) return;
    platform::MakePath(fs, dir + fs.Separator());
    if (!fs.DirectoryExists(dir)) throw common::IoError(common::kPathNotFound, dir);
}

// A file, or a link, already at dest is removed first, so that the new file is
// created afresh inside the directory and never written through a link.
void RemoveExisting(platform::FileSystem& fs, const std::string& dest) {
    try {
        fs.RemoveFile(dest);
    } catch (const common::IoError&) {
        // Nothing there, or a directory, which the unpacking then fails to replace.
    }
}

// Why entry is not unpacked; empty when it may be. A stream whose length field
// disagrees with the entry is damaged, and its length could be anything up to 2 GiB.
std::string Refusal(platform::File& package, const TResourceEntry& entry) {
    const std::string reason = UnsafeNameReason(entry.EntryName);
    if (!reason.empty()) return reason;
    const std::int32_t length = ReadStreamLength(package, entry);
    return length == entry.UnpackedSize ? std::string() : LengthMismatch(length, entry);
}

int ExtractOne(package::TResourceClass& pkg, const TResourceEntry& entry, const std::string& dir,
               ProgressDisplay& progress) {
    const std::string& path = pkg.PackagePath();
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string refusal = Refusal(*fs.Open(path, platform::OpenMode::Read), entry);
    if (!refusal.empty()) {
        Complain(path, "entry " + Quoted(entry.EntryName) + " not extracted: " + refusal);
        return kFailure;
    }
    const std::string dest = JoinPath(dir, entry.EntryName, fs.Separator());
    RemoveExisting(fs, dest);
    progress.Start("extracting " + entry.EntryName, entry.UnpackedSize);
    package::DecodeResult result;
    try {
        result = pkg.ExtractEntry(entry, dest);
    } catch (const common::IoError& e) {
        progress.Finish();
        Complain(e.path().empty() ? dest : e.path(), e.what());
        return kFailure;
    } catch (const package::DamagedEntry& e) {
        progress.Finish();
        Complain(path, std::string(e.what()) + "; " + dest + " is incomplete");
        return kFailure;
    }
    progress.Finish();
    if (result.writeFailed) {
        Complain(dest, "could not be written whole; the file is incomplete");
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

int ExtractCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& path = args.operands.front();
    package::PackageDirectory dir;
    ReadPackage(fs, path, dir);
    const std::string target = args.directory.empty() ? "." : args.directory;
    EnsureDirectory(fs, target);
    const PrivateTempDir temp(fs);
    package::TResourceClass pkg(fs, temp.Path());
    if (!pkg.OpenPackage(path)) throw package::FormatError("the package changed while it was being read");
    ProgressDisplay progress;
    pkg.SetProgress([&](std::int32_t written) { progress.Update(written); });
    const std::vector<std::string> names(args.operands.begin() + 1, args.operands.end());
    Selection selection = names.empty() ? SelectAll(pkg) : SelectNamed(pkg, names);
    for (const TResourceEntry& entry : selection.entries) {
        if (ExtractOne(pkg, entry, target, progress) != kSuccess) selection.status = kFailure;
    }
    return selection.status;
}

}  // namespace instalator::respack
