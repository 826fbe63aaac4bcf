// test: decodes every entry without writing it, checks the package's layout and
// compares every entry with the catalogue when the package has one.

#include <algorithm>
#include <cstdio>
#include <optional>

#include "commands.hpp"
#include "common/text.hpp"
#include "package/catalogue.hpp"
#include "package/lzh.hpp"
#include "platform/file_system.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

using package::TResourceEntry;

std::string Label(std::size_t index, const TResourceEntry& entry) {
    return "entry " + std::to_string(index + 1) + " " + Quoted(entry.EntryName);
}

// What is wrong with one entry's stream; empty when it decodes whole.
std::string TestEntry(platform::File& file, const TResourceEntry& entry, ProgressDisplay& progress) {
    const std::int32_t length = ReadStreamLength(file, entry);
    if (length != entry.UnpackedSize) return LengthMismatch(length, entry);
    progress.Start("testing " + entry.EntryName, length);
    std::int64_t done = 0;
    const package::DecodeResult result =
        package::DecodeStream(file, entry.PackedSize - 4, length, [&](const std::uint8_t*, std::size_t size) {
            done += static_cast<std::int64_t>(size);
            progress.Update(done);
        });
    progress.Finish();
    if (result.inputExhausted) {
        return "stream shorter than its declared size (the code bits end before all " + std::to_string(length) +
               " bytes are decoded)";
    }
    return {};
}

// Pairs the entries with the catalogue's records: each entry takes the first record
// of its name (letter case ignored) that no earlier entry took, so entries of the
// same name match their records in chain order.
class CatalogueCheck {
public:
    explicit CatalogueCheck(package::Catalogue catalogue)
        : catalogue_(std::move(catalogue)), taken_(catalogue_.Records().size(), false) {}

    // What the catalogue says is wrong with entry, one problem each.
    std::vector<std::string> Problems(platform::File& file, const TResourceEntry& entry) {
        const auto& records = catalogue_.Records();
        std::size_t i = 0;
        while (i < records.size() && (taken_[i] || !common::SameText(records[i].name, entry.EntryName))) ++i;
        if (i == records.size()) return {"not in the catalogue"};
        taken_[i] = true;
        return Differences(package::RecordOf(file, entry), records[i]);
    }

    // The records that no entry took.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < taken_.size(); ++i) {
            if (!taken_[i]) names.push_back(catalogue_.Records()[i].name);
        }
        return names;
    }

private:
    static std::vector<std::string> Differences(const package::CatalogueRecord& actual,
                                                const package::CatalogueRecord& listed) {
        std::vector<std::string> problems;
        if (actual.crc != listed.crc) {
            problems.push_back("packed data differ from the catalogue (CRC-32 " + package::CrcText(actual.crc) +
                               ", the catalogue has " + package::CrcText(listed.crc) + ")");
        }
        CompareSize(problems, "unpacked", actual.unpackedSize, listed.unpackedSize);
        CompareSize(problems, "packed", actual.packedSize, listed.packedSize);
        return problems;
    }

    static void CompareSize(std::vector<std::string>& problems, const std::string& which, std::int32_t actual,
                            std::int32_t listed) {
        if (actual == listed) return;
        problems.push_back(which + " size " + std::to_string(actual) + " differs from the catalogue's " +
                           std::to_string(listed));
    }

    package::Catalogue catalogue_;
    std::vector<bool> taken_;
};

// The package's catalogue; a damaged one is reported and nothing is compared.
std::optional<CatalogueCheck> LoadCatalogue(platform::File& file, const std::string& path,
                                            const package::PackageDirectory& dir, int& status) {
    try {
        std::optional<package::Catalogue> catalogue = package::ReadCatalogue(file, dir.Entries);
        if (catalogue) return CatalogueCheck(std::move(*catalogue));
    } catch (const package::FormatError& e) {
        Complain(path, e.what());
        status = kFailure;
    }
    return std::nullopt;
}

// Every problem of one entry: its stream's, then what the catalogue finds.
std::vector<std::string> EntryProblems(platform::File& file, const TResourceEntry& entry, ProgressDisplay& progress,
                                       CatalogueCheck* catalogue) {
    std::vector<std::string> problems;
    std::string problem = TestEntry(file, entry, progress);
    if (!problem.empty()) problems.push_back(std::move(problem));
    if (catalogue != nullptr) {
        for (std::string& problem : catalogue->Problems(file, entry)) problems.push_back(std::move(problem));
    }
    return problems;
}

// "p.res: 3 entries, all intact"; the catalogue is not counted among the entries
// it vouches for.
std::string Summary(const std::string& path, std::size_t count, bool catalogue) {
    if (catalogue) --count;
    std::string text = path + ": " + std::to_string(count) + (count == 1 ? " entry" : " entries") + ", all intact";
    if (catalogue) text += " and matching the catalogue";
    return text;
}

// Bytes that no entry accounts for: harmless to the installer, but not what the
// package writer leaves.
void WarnAboutLayout(const std::string& path, const package::PackageDirectory& dir, std::int64_t size) {
    std::int64_t end = static_cast<std::int64_t>(package::kHeaderSize);
    for (std::size_t i = 0; i < dir.Entries.size(); ++i) {
        const TResourceEntry& entry = dir.Entries[i];
        const std::int64_t gap = dir.Offsets[i] - (std::int64_t{entry.DataOffset} + entry.PackedSize);
        if (gap > 0) Warn(path, Label(i, entry) + ": " + std::to_string(gap) + " bytes between its data and the entry");
        end = std::max(end, dir.Offsets[i] + static_cast<std::int64_t>(package::kEntrySize));
    }
    if (end < size) Warn(path, std::to_string(size - end) + " bytes after the last entry belong to no entry");
}

}  // namespace

int TestCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& path = args.operands.front();
    package::PackageDirectory dir;
    const std::int64_t size = ReadPackage(fs, path, dir);
    const auto file = fs.Open(path, platform::OpenMode::Read);
    int status = kSuccess;
    std::optional<CatalogueCheck> catalogue = LoadCatalogue(*file, path, dir, status);
    const std::optional<std::size_t> catalogueAt = package::CatalogueIndex(dir.Entries);
    ProgressDisplay progress;
    for (std::size_t i = 0; i < dir.Entries.size(); ++i) {
        CatalogueCheck* check = catalogue && i != catalogueAt ? &*catalogue : nullptr;
        const std::vector<std::string> problems = EntryProblems(*file, dir.Entries[i], progress, check);
        for (const std::string& problem : problems) Complain(path, Label(i, dir.Entries[i]) + ": " + problem);
        if (!problems.empty()) status = kFailure;
    }
    if (catalogue) {
        for (const std::string& name : catalogue->Leftovers()) {
            Complain(path, "catalogue record " + Quoted(name) + " has no entry in the package");
            status = kFailure;
        }
    }
    WarnAboutLayout(path, dir, size);
    if (status == kSuccess) PrintLine(Summary(path, dir.Entries.size(), catalogue.has_value()));
    return status;
}

}  // namespace instalator::respack
