// test: decodes every entry without writing it and checks the package's layout.

#include <algorithm>

#include "commands.hpp"
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
    ProgressDisplay progress;
    int status = kSuccess;
    for (std::size_t i = 0; i < dir.Entries.size(); ++i) {
        const std::string problem = TestEntry(*file, dir.Entries[i], progress);
        if (problem.empty()) continue;
        Complain(path, Label(i, dir.Entries[i]) + ": " + problem);
        status = kFailure;
    }
    WarnAboutLayout(path, dir, size);
    if (status == kSuccess) {
        const std::size_t count = dir.Entries.size();
        PrintLine(path + ": " + std::to_string(count) + (count == 1 ? " entry" : " entries") + ", all intact");
    }
    return status;
}

}  // namespace instalator::respack
