// create and add: the commands that write packages.

#include "common/strings.hpp"
#include "commands.hpp"
#include "package/catalogue.hpp"
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

void AddFiles(package::TResourceClass& pkg, const Arguments& args, ProgressDisplay& progress) {
    for (auto file = args.operands.begin() + 1; file != args.operands.end(); ++file) {
        WarnAboutName(pkg, *file);
        progress.Start("packing " + common::FileNamePart(*file), 0);
        pkg.AddFile(*file);
        progress.Finish();
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
    ProgressDisplay progress;
    pkg.SetProgress([&](std::int32_t written) { progress.Update(written); });
    try {
        AddFiles(pkg, args, progress);
    } catch (const common::Error&) {
        // The files packed before the failure stay, and get their catalogue as usual.
        if (args.catalogue) WriteCatalogueAfterFailure(fs, pkg);
        throw;
    }
    if (args.catalogue) WriteCatalogue(fs, pkg);
    return kSuccess;
}

}  // namespace instalator::respack
