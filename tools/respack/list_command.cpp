// list: one line per entry of the chain.

#include <algorithm>
#include <cstdio>

#include "commands.hpp"
#include "platform/file_system.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

// Packed size as a percentage of the unpacked size; "-" for an empty file, whose
// stream is never smaller than it.
std::string Ratio(const package::TResourceEntry& entry) {
    if (entry.UnpackedSize == 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * entry.PackedSize / entry.UnpackedSize);
    return text;
}

std::string EntryLine(const package::TResourceEntry& entry, std::size_t nameWidth) {
    const std::string name = Printable(entry.EntryName);
    const package::FileVersion& v = entry.FileVersion;
    char version[32];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u", unsigned{v.major}, unsigned{v.minor}, unsigned{v.release},
                  unsigned{v.build});
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "  %11ld %11ld %7s  %-23s %11ld", static_cast<long>(entry.UnpackedSize),
                  static_cast<long>(entry.PackedSize), Ratio(entry).c_str(), version,
                  static_cast<long>(entry.DataOffset));
    return name + std::string(nameWidth - std::min(nameWidth, name.size()), ' ') + numbers;
}

void PrintEntries(const package::PackageDirectory& dir) {
    std::size_t width = 0;
    for (const auto& entry : dir.Entries) width = std::max(width, Printable(entry.EntryName).size());
    for (const auto& entry : dir.Entries) PrintLine(EntryLine(entry, width));
}

}  // namespace

int ListCommand(const Arguments& args) {
    package::PackageDirectory dir;
    try {
        ReadPackage(platform::HostFileSystem(), args.operands.front(), dir);
    } catch (const package::FormatError&) {
        PrintEntries(dir);
        throw;
    }
    PrintEntries(dir);
    return kSuccess;
}

}  // namespace instalator::respack
