#include "package/version.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::package {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The sample programs and libraries, built from tests/data/pe/src by build.sh.
std::string Sample(const std::string& name) {
    return std::string(INSTALATOR_TEST_DATA) + "/pe/" + name;
}

std::string Text(const FileVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
           std::to_string(v.release) + "." + std::to_string(v.build);
}

std::string VersionOf(const std::string& path) {
    return Text(ReadFileVersion(platform::HostFileSystem(), path));
}

// The offset of the only occurrence of pattern in bytes; fails the test otherwise.
std::size_t FindOnce(const Bytes& bytes, const Bytes& pattern) {
    const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, bytes.end());
    EXPECT_EQ(std::search(at + 1, bytes.end(), pattern.begin(), pattern.end()), bytes.end());
    return static_cast<std::size_t>(at - bytes.begin());
}

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

const Bytes kSignature = {0xBD, 0x04, 0xEF, 0xFE};
const Bytes kKey = {'V', 0, 'S', 0, '_', 0, 'V', 0, 'E', 0, 'R', 0, 'S', 0, 'I', 0};
// app32.exe's only type entry: number 16, its table at 0x18 in the resources.
const Bytes kVersionTypeEntry = {0x10, 0, 0, 0, 0x18, 0, 0, 0x80};

TEST(FileVersion, SamplesGiveTheirFixedFileVersion) {
    const struct {
        const char* file;
        const char* version;
    } cases[] = {
        {"app32.exe", "1.2.3.4"},            // its product version 9.8.7.6 is not taken
        {"app64.exe", "7.65535.32768.300"},  // PE32+, parts using all 16 bits
        {"lib32.dll", "1.10.0.0"},
        {"later.exe", "4.3.2.1"},        // a named type and types 6, 10 before it, 23 after
        {"languages.exe", "5.0.0.3"},    // German, English and Polish: the Polish one
        {"norsrc.exe", "0.0.0.0"},       // no resources at all
        {"noversion.exe", "0.0.0.0"},    // resources, but none of them a version
        {"id2.exe", "0.0.0.0"},          // a version resource numbered 2, not 1
        {"boundary.exe", "3.14.15.92"},  // every piece on a section boundary (make_boundary.py)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(VersionOf(Sample(c.file)), c.version);
    }
}

TEST(FileVersion, FilesThatAreNoProgramsGiveZeros) {
    const testing::ScratchDir dir;
    Bytes stubOnly(64, 0);
    stubOnly[0] = 'M';
    stubOnly[1] = 'Z';
    Put32(stubOnly, 0x3C, 64);  // the PE header would start where the file ends
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"text.txt", {'a', 'b', 'c', '\n'}},
        {"mz", {'M', 'Z'}},
        {"stub.exe", stubOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::WriteBytes(dir / c.name, c.bytes);
        EXPECT_EQ(VersionOf(dir / c.name), "0.0.0.0");
    }
    EXPECT_EQ(VersionOf(dir / "missing.exe"), "0.0.0.0");
    // A directory opens on POSIX but fails at the first read.
    EXPECT_EQ(VersionOf(dir.path().string()), "0.0.0.0");
}

// Each cut of a sample: the version lies in the last section, so every cut loses it,
// and none may crash or read past the end.
TEST(FileVersion, TruncatedCopiesGiveZeros) {
    const testing::ScratchDir dir;
    for (const char* name : {"app32.exe", "app64.exe"}) {
        SCOPED_TRACE(name);
        const Bytes whole = testing::ReadBytes(Sample(name));
        const std::string copy = dir / name;
        testing::WriteBytes(copy, whole);
        for (std::size_t length = whole.size(); length-- > 0;) {
            std::filesystem::resize_file(copy, length);
            ASSERT_EQ(VersionOf(copy), "0.0.0.0") << "cut at " << length;
        }
    }
}

// One change to a sample and the version it must give then.
struct Patch {
    const char* what;
    const char* sample;
    std::function<void(Bytes&)> apply;
    const char* version;
};

class PatchedSample : public ::testing::TestWithParam<Patch> {};

TEST_P(PatchedSample, GivesTheExpectedVersion) {
    const Patch& patch = GetParam();
    Bytes bytes = testing::ReadBytes(Sample(patch.sample));
    patch.apply(bytes);
    const testing::ScratchDir dir;
    testing::WriteBytes(dir / "patched.exe", bytes);
    EXPECT_EQ(VersionOf(dir / "patched.exe"), patch.version);
}

std::size_t PeHeader(const Bytes& b) { return Get32(b, 0x3C); }
std::size_t KeyAt(const Bytes& b) { return FindOnce(b, kKey); }
std::size_t TypeEntryAt(const Bytes& b) { return FindOnce(b, kVersionTypeEntry); }
std::size_t LanguageAt(const Bytes& b, std::uint8_t low) { return FindOnce(b, {low, 0x04, 0, 0}); }
// app32.exe's data entry, found through its only language entry (US English).
std::size_t DataEntryAt(const Bytes& b) {
    const std::size_t root = TypeEntryAt(b) - 16;
    return root + Get32(b, LanguageAt(b, 0x09) + 4);
}

const Patch kPatches[] = {
    {"unchanged", "app32.exe", [](Bytes&) {}, "1.2.3.4"},
    {"wrong MZ", "app32.exe", [](Bytes& b) { b[1] = 'Y'; }, "0.0.0.0"},
    {"PE header past the end", "app32.exe", [](Bytes& b) { Put32(b, 0x3C, 0xFFFFFFF0); },
     "0.0.0.0"},
    {"wrong PE signature", "app32.exe", [](Bytes& b) { b[PeHeader(b) + 1] = 'F'; }, "0.0.0.0"},
    {"unknown optional header", "app32.exe", [](Bytes& b) { Put16(b, PeHeader(b) + 24, 0x107); },
     "0.0.0.0"},
    {"PE32 header read as PE32+", "app32.exe",
     [](Bytes& b) { Put16(b, PeHeader(b) + 24, 0x20B); }, "0.0.0.0"},
    {"two data directories only", "app32.exe", [](Bytes& b) { Put32(b, PeHeader(b) + 24 + 92, 2); },
     "0.0.0.0"},
    {"no sections", "app32.exe", [](Bytes& b) { Put16(b, PeHeader(b) + 6, 0); }, "0.0.0.0"},
    {"65535 sections", "app32.exe", [](Bytes& b) { Put16(b, PeHeader(b) + 6, 0xFFFF); }, "0.0.0.0"},
    {"type table that is data", "app32.exe",
     [](Bytes& b) { b[TypeEntryAt(b) + 7] = 0; }, "0.0.0.0"},
    {"type table past the section", "app32.exe",
     [](Bytes& b) { Put32(b, TypeEntryAt(b) + 4, 0x8FFFFFF0); }, "0.0.0.0"},
    {"type table is the root again", "app32.exe",
     [](Bytes& b) { Put32(b, TypeEntryAt(b) + 4, 0x80000000); }, "0.0.0.0"},
    {"root counts 65535 entries", "app32.exe",
     [](Bytes& b) { Put16(b, TypeEntryAt(b) - 2, 0xFFFF); }, "0.0.0.0"},
    {"the entry counted as named", "app32.exe",
     [](Bytes& b) { Put16(b, TypeEntryAt(b) - 4, 1); Put16(b, TypeEntryAt(b) - 2, 0); }, "0.0.0.0"},
    {"language entry that is a table", "app32.exe",
     [](Bytes& b) { b[LanguageAt(b, 0x09) + 7] = 0x80; }, "0.0.0.0"},
    {"data outside every section", "app32.exe", [](Bytes& b) { Put32(b, DataEntryAt(b), 0x100); },
     "0.0.0.0"},
    {"data running past its section", "app32.exe",
     [](Bytes& b) { Put32(b, DataEntryAt(b) + 4, 0x10000); }, "0.0.0.0"},
    {"data one byte past the end of the section and file", "boundary.exe",
     [](Bytes& b) { Put32(b, 0x44C, 0x5D); }, "0.0.0.0"},  // the size in its data entry
    {"data shorter than the fixed part", "app32.exe",
     [](Bytes& b) { Put32(b, DataEntryAt(b) + 4, 91); }, "0.0.0.0"},
    {"block shorter than its fixed part", "app32.exe",
     [](Bytes& b) { Put16(b, KeyAt(b) - 6, 91); }, "0.0.0.0"},
    {"no value", "app32.exe", [](Bytes& b) { Put16(b, KeyAt(b) - 4, 0); }, "0.0.0.0"},
    {"value shorter than the fixed part", "app32.exe",
     [](Bytes& b) { Put16(b, KeyAt(b) - 4, 51); }, "0.0.0.0"},
    {"another key", "app32.exe", [](Bytes& b) { b[KeyAt(b) + 2] = 'T'; }, "0.0.0.0"},
    {"wrong signature", "app32.exe", [](Bytes& b) { b[FindOnce(b, kSignature)] = 0xBE; },
     "0.0.0.0"},
    {"no Polish: US English", "languages.exe", [](Bytes& b) { b[LanguageAt(b, 0x15)] = 0x16; },
     "5.0.0.2"},
    {"neither Polish nor English: the first", "languages.exe",
     [](Bytes& b) { b[LanguageAt(b, 0x15)] = 0x16; b[LanguageAt(b, 0x09)] = 0x08; }, "5.0.0.1"},
    {"neutral before all", "languages.exe", [](Bytes& b) { Put16(b, LanguageAt(b, 0x09), 0); },
     "5.0.0.2"},
};

INSTANTIATE_TEST_SUITE_P(FileVersion, PatchedSample, ::testing::ValuesIn(kPatches),
                         [](const ::testing::TestParamInfo<Patch>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

// Wine's own libraries, where Wine is installed: real files from another toolchain.
// The 32- and 64-bit builds of one library carry the same version.
TEST(FileVersion, WineLibrariesHaveVersions) {
    const std::vector<std::string> roots = {"/usr/lib/i386-linux-gnu/wine",
                                            "/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/wine"};
    int checked = 0;
    for (const std::string& root : roots) {
        const std::string win32 = root + "/i386-windows/";
        const std::string win64 = root + "/x86_64-windows/";
        for (const char* name : {"kernel32.dll", "user32.dll", "version.dll", "shell32.dll"}) {
            if (!std::filesystem::exists(win32 + name)) continue;
            SCOPED_TRACE(win32 + name);
            const std::string version = VersionOf(win32 + name);
            EXPECT_NE(version, "0.0.0.0");
            if (std::filesystem::exists(win64 + name)) {
                EXPECT_EQ(VersionOf(win64 + name), version);
            }
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "Wine's libraries are not installed";
}

}  // namespace
}  // namespace instalator::package
