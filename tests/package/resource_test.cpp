#include "package/resource.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "common/text.hpp"
#include "platform/file_system.hpp"
#include "support/package_bytes.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::package {
namespace {

using testing::Bytes;
using testing::Get32;
using testing::Put32;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteText;

// The 128 bytes "abcdefgh" x 16 and their 18-byte stream.
const Bytes kEightLetterStream = {0x80, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xFF, 0x0F,
                                  0x8F, 0xCB, 0xE7, 0xF4, 0xF6, 0x81, 0xEF, 0x40, 0xE0};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Text-like bytes from a fixed seed.
std::string SampleText(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    const std::string words[] = {"pakiet ", "plik ", "instalator ", "katalog\r\n", "0123 ", "Setup.lst "};
    std::string out;
    while (out.size() < size) out += words[random() % std::size(words)];
    out.resize(size);
    return out;
}

class PackageTest : public ::testing::Test {
protected:
    PackageTest() { std::filesystem::create_directory(dir.path() / "temp"); }

    std::string Path(const std::string& name) const { return dir / name; }

    std::vector<std::string> TempFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "temp")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    platform::FileSystem& fs = platform::HostFileSystem();
    testing::ScratchDir dir;
    std::string temp = dir / "temp/";
    TResourceClass pkg{fs, temp};
};

TEST_F(PackageTest, NewPackageAndTheThreeLetterExampleByteForByte) {
    const std::string package = Path("p.res");
    ASSERT_TRUE(pkg.CreatePackage(package));
    EXPECT_EQ(ReadBytes(package), testing::BuildPackage({}));
    EXPECT_EQ(ReadBytes(package).size(), 168u);
    TResourceClass reader(fs, temp);
    EXPECT_TRUE(reader.OpenPackage(package));
    EXPECT_EQ(reader.EntryCount(), 0);

    WriteText(Path("a.txt"), "abc");
    pkg.AddFile(Path("a.txt"));
    const Bytes bytes = ReadBytes(package);
    ASSERT_EQ(bytes.size(), 300u);
    EXPECT_EQ(bytes, testing::BuildPackage({{"a.txt"}}));
    EXPECT_EQ(Get32(bytes, 164), 176);
    EXPECT_EQ(Bytes(bytes.begin() + 168, bytes.begin() + 176), testing::AbcStream());
    EXPECT_EQ(std::string(bytes.begin() + 176, bytes.begin() + 182), "\x05" "a.txt");
    EXPECT_EQ(Get32(bytes, 176 + 84), 3);
    EXPECT_EQ(Get32(bytes, 176 + 88), 0);  // file version 0.0.0.0
    EXPECT_EQ(Get32(bytes, 176 + 92), 0);
    EXPECT_EQ(Get32(bytes, 176 + 108), 168);
    EXPECT_EQ(Get32(bytes, 176 + 112), 8);
    EXPECT_EQ(Get32(bytes, 176 + 116), -1);
    ASSERT_EQ(pkg.EntryCount(), 1);
    EXPECT_EQ(pkg.Entries()[0], (TResourceEntry{"a.txt", 3, {}, 168, 8, -1}));
    EXPECT_TRUE(TempFiles().empty());  // the scratch file is gone
}

TEST_F(PackageTest, SecondFileChainsAfterTheFirstAndKeepsTheHeader) {
    const std::string package = Path("p.res");
    ASSERT_TRUE(pkg.CreatePackage(package));
    WriteText(Path("a.txt"), "abc");
    WriteText(Path("b.txt"), Repeat("abcdefgh", 16));
    pkg.AddFile(Path("a.txt"));
    const Bytes before = ReadBytes(package);
    pkg.AddFile(Path("b.txt"));
    const Bytes bytes = ReadBytes(package);

    ASSERT_EQ(bytes.size(), 300u + 18 + 124);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 168, bytes.begin()));
    EXPECT_EQ(Get32(bytes, 176 + 116), 318);  // the first entry now points at the second
    EXPECT_EQ(Bytes(bytes.begin() + 300, bytes.begin() + 318), kEightLetterStream);
    const TResourceEntry second{"b.txt", 128, {}, 300, 18, -1};
    TResourceClass reader(fs, temp);
    ASSERT_TRUE(reader.OpenPackage(package));
    EXPECT_EQ(reader.Entries(), pkg.Entries());
    ASSERT_EQ(reader.EntryCount(), 2);
    EXPECT_EQ(reader.Entries()[1], second);
}

TEST_F(PackageTest, LookupsIgnoreLetterCaseAndNothingElse) {
    const std::string zolw = common::Cp1250(u8"ŻÓŁW.TXT");
    WriteBytes(Path("p.res"), testing::BuildPackage({{"Setup.lst"}, {zolw}, {"SETUP.LST"}, {"readme"}}));
    ASSERT_TRUE(pkg.OpenPackage(Path("p.res")));
    const struct {
        std::string name;
        std::string found;  // empty: the all-zero record
    } cases[] = {
        {"SETUP.LST", "Setup.lst"},  // the first of two equal names wins
        {"setup.lst", "Setup.lst"},
        {common::Cp1250(u8"żółw.txt"), zolw},
        {"Setup.lst ", ""},
        {"Setup", ""},
        {"readme.", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TResourceEntry entry = pkg.FindEntry(c.name);
        EXPECT_EQ(entry.EntryName, c.found);
        if (c.found.empty()) {
            EXPECT_EQ(entry, TResourceEntry{});
        }
    }
    EXPECT_EQ(pkg.FindEntry("SETUP.LST").DataOffset, 168);
}

TEST_F(PackageTest, ExtractToTempWritesUnderTheNameAsGiven) {
    WriteBytes(Path("p.res"), testing::BuildPackage({{"Setup.lst"}, {"../up.txt"}, {"sub\\x.txt"}}));
    ASSERT_TRUE(pkg.OpenPackage(Path("p.res")));
    WriteText(temp + "SETUP.LST", "an older, longer file");
    EXPECT_EQ(pkg.ExtractToTemp("SETUP.LST"), temp + "SETUP.LST");
    EXPECT_EQ(ReadBytes(temp + "SETUP.LST"), Bytes({'a', 'b', 'c'}));

    // Absent names and names that are not plain file names write nothing at all.
    for (const std::string name : {"missing.txt", "../up.txt", "sub\\x.txt", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(pkg.ExtractToTemp(name), "");
    }
    EXPECT_EQ(TempFiles(), std::vector<std::string>{"SETUP.LST"});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "up.txt"));

    const DecodeResult absent = pkg.ExtractTo("missing.txt", Path("out.txt"));
    EXPECT_EQ(absent.bytesWritten, 0);
    EXPECT_FALSE(std::filesystem::exists(Path("out.txt")));
}

TEST_F(PackageTest, NamesAreCutTo80Characters) {
    const std::string longName = std::string(86, 'n') + ".txt";
    ASSERT_TRUE(pkg.CreatePackage(Path("p.res")));
    WriteText(Path(longName), "abc");
    pkg.AddFile(Path(longName));
    ASSERT_EQ(pkg.EntryCount(), 1);
    EXPECT_EQ(pkg.Entries()[0].EntryName, longName.substr(0, 80));
    EXPECT_EQ(pkg.FindEntry(longName), TResourceEntry{});
    EXPECT_EQ(pkg.FindEntry(longName.substr(0, 80)).UnpackedSize, 3);
    EXPECT_EQ(ReadBytes(Path("p.res"))[176], 80);
}

TEST_F(PackageTest, OpeningAMissingFileKeepsTheDirectoryReadBefore) {
    WriteBytes(Path("p.res"), testing::BuildPackage({{"a.txt"}, {"b.txt"}}));
    ASSERT_TRUE(pkg.OpenPackage(Path("p.res")));
    EXPECT_FALSE(pkg.OpenPackage(Path("missing.res")));
    EXPECT_EQ(pkg.EntryCount(), 2);
    EXPECT_EQ(pkg.PackagePath(), Path("missing.res"));
}

// Each damage, on a two-entry package (entries at 176 and 308, 432 bytes): the
// installer's OpenPackage says false and keeps the entries before the damage; the
// reader says exactly what is wrong.
TEST_F(PackageTest, DamagedPackagesAreRefusedWithTheirReason) {
    const Bytes good = testing::BuildPackage({{"a.txt"}, {"b.txt"}});
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::string message;
        int kept;
    } cases[] = {
        {"short header", [](Bytes& b) { b.resize(100); },
         "not a package (shorter than its 168-byte header: 100 bytes)", 0},
        {"first entry beyond the end", [](Bytes& b) { Put32(b, 164, 5000); },
         "entry 1: offset 5000 is beyond the end of the file (432 bytes)", 0},
        {"negative first entry", [](Bytes& b) { Put32(b, 164, -2); }, "entry 1: offset -2 is negative", 0},
        {"entry in the header", [](Bytes& b) { Put32(b, 164, 100); },
         "entry 1: offset 100 lies inside the 168-byte header", 0},
        {"entry cut short", [](Bytes& b) { Put32(b, 176 + 116, 400); },
         "entry 2 at offset 400 is cut short by the end of the file (32 of 124 bytes)", 1},
        {"loop", [](Bytes& b) { Put32(b, 308 + 116, 176); },
         "entry 3: offset 176 is that of entry 1, the entry chain loops", 2},
        {"self loop", [](Bytes& b) { Put32(b, 176 + 116, 176); },
         "entry 2: offset 176 is that of entry 1, the entry chain loops", 1},
        {"negative unpacked size", [](Bytes& b) { Put32(b, 308 + 84, -1); },
         "entry 2 \"b.txt\" at offset 308: negative unpacked size -1", 1},
        {"negative packed size", [](Bytes& b) { Put32(b, 176 + 112, -8); },
         "entry 1 \"a.txt\" at offset 176: negative packed size -8", 0},
        {"no room for the length field", [](Bytes& b) { Put32(b, 176 + 112, 2); },
         "entry 1 \"a.txt\" at offset 176: packed size 2 is shorter than the 4-byte stream length", 0},
        {"data in the header", [](Bytes& b) { Put32(b, 176 + 108, 100); },
         "entry 1 \"a.txt\" at offset 176: data offset 100 lies inside the 168-byte header", 0},
        {"negative data offset", [](Bytes& b) { Put32(b, 176 + 108, -100); },
         "entry 1 \"a.txt\" at offset 176: negative data offset -100", 0},
        {"data past the entry", [](Bytes& b) { Put32(b, 308 + 112, 200); },
         "entry 2 \"b.txt\" at offset 308: data (200 bytes at offset 300) runs past the entry", 1},
        {"long name", [](Bytes& b) { b[176] = 95; }, "entry 1 at offset 176: name length 95 is above 80 characters",
         0},
        {"129 entries", [](Bytes& b) { b = testing::PackageOfAbcEntries(129); },
         "more than 128 entries in the entry chain", 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path("p.res"), bytes);
        TResourceClass installer(fs, temp);
        EXPECT_FALSE(installer.OpenPackage(Path("p.res")));
        EXPECT_EQ(installer.EntryCount(), c.kept);

        PackageDirectory read;
        const auto file = fs.Open(Path("p.res"), platform::OpenMode::Read);
        try {
            ReadDirectory(*file, file->Size(), read);
            ADD_FAILURE() << "no FormatError";
        } catch (const FormatError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(read.Entries.size(), static_cast<std::size_t>(c.kept));
    }
    WriteBytes(Path("p.res"), testing::PackageOfAbcEntries(128));
    EXPECT_TRUE(pkg.OpenPackage(Path("p.res")));
    EXPECT_EQ(pkg.EntryCount(), 128);
}

// A package that the reader would refuse is never written: the file stays as it was.
TEST_F(PackageTest, WritersRefuseWhatTheReaderWouldRefuse) {
    WriteText(Path("a.txt"), "abc");
    Bytes looped = testing::BuildPackage({{"x"}});
    Put32(looped, 176 + 116, 176);
    const struct {
        const char* what;
        Bytes package;
        std::function<void(TResourceClass&)> write;
        std::string message;
    } cases[] = {
        {"129th entry", testing::PackageOfAbcEntries(128), [&](TResourceClass& p) { p.AddFile(Path("a.txt")); },
         "the package already holds 128 entries"},
        {"damaged package", looped, [&](TResourceClass& p) { p.AddFile(Path("a.txt")); },
         "entry 2: offset 176 is that of entry 1, the entry chain loops"},
        {"entry that does not end the chain", testing::BuildPackage({{"x"}}),
         [](TResourceClass& p) { p.AppendEntry({"y", 3, {}, 168, 8, 500}); },
         "entry 2 \"y\" at offset 300: a new entry must end the chain (next entry -1, not 500)"},
        {"entry without its data", testing::BuildPackage({}),
         [](TResourceClass& p) { p.AppendEntry({"y", 3, {}, 168, 8, -1}); },
         "entry 1 \"y\" at offset 168: data (8 bytes at offset 168) runs past the entry"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(Path("p.res"), c.package);
        pkg.OpenPackage(Path("p.res"));
        try {
            c.write(pkg);
            ADD_FAILURE() << "no FormatError";
        } catch (const FormatError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(ReadBytes(Path("p.res")), c.package);
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(PackageTest, PackagesStayWithinSigned32BitOffsets) {
    ASSERT_TRUE(pkg.CreatePackage(Path("p.res")));
    // A sparse file: only the header is ever read.
    std::filesystem::resize_file(Path("p.res"), 0x7FFFFFFF - 100);
    WriteText(Path("a.txt"), "abc");
    try {
        pkg.AddFile(Path("a.txt"));
        ADD_FAILURE() << "no FormatError";
    } catch (const FormatError& e) {
        EXPECT_EQ(std::string(e.what()), "the package would grow to 2147483679 bytes, beyond 2147483647");
    }
    EXPECT_EQ(std::filesystem::file_size(Path("p.res")), 0x7FFFFFFFu - 100);
}

TEST_F(PackageTest, FilesComeOutAsTheyWentIn) {
    ASSERT_TRUE(pkg.CreatePackage(Path("p.res")));
    const std::size_t sizes[] = {0, 1, 2048, 4096, 4097, 60000};
    for (const std::size_t size : sizes) {
        WriteText(Path("f" + std::to_string(size)), SampleText(size, static_cast<unsigned>(size)));
        pkg.AddFile(Path("f" + std::to_string(size)));
    }
    std::int32_t lastProgress = -1;
    pkg.SetProgress([&](std::int32_t written) { lastProgress = written; });
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string name = "f" + std::to_string(size);
        const DecodeResult result = pkg.ExtractTo(name, Path("out"));
        EXPECT_EQ(result.bytesWritten, static_cast<std::int64_t>(size));
        EXPECT_FALSE(result.inputExhausted);
        EXPECT_FALSE(result.writeFailed);
        EXPECT_EQ(lastProgress, static_cast<std::int32_t>(size));
        EXPECT_EQ(ReadBytes(Path("out")), ReadBytes(Path(name)));
    }
    EXPECT_TRUE(TempFiles().empty());
}

// A write that fails is told to the caller: ExtractTo in its result, ExtractToTemp,
// whose callers learn nothing else, by an error.
TEST_F(PackageTest, FailedWritesAreNotTakenForSuccess) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WriteBytes(Path("p.res"), testing::BuildPackage({{"full.txt"}}));
    ASSERT_TRUE(pkg.OpenPackage(Path("p.res")));
    std::filesystem::create_symlink("/dev/full", temp + "full.txt");
    EXPECT_TRUE(pkg.ExtractTo("full.txt", temp + "full.txt").writeFailed);
    try {
        pkg.ExtractToTemp("full.txt");
        ADD_FAILURE() << "no IoError";
    } catch (const common::IoError& e) {
        EXPECT_EQ(e.code(), common::kDiskWriteError);
        EXPECT_EQ(e.path(), temp + "full.txt");
    }
    EXPECT_EQ(TempFiles(), std::vector<std::string>{"full.txt"});  // no scratch file left
}

// What an entry unpacks to is checked against its directory entry: a stream cut
// short by the end of the package or with a wrong length field is refused before the
// destination is created; one that unpacks to another size is refused after.
TEST_F(PackageTest, DamagedStreamsAreRefusedWithTheirReason) {
    ASSERT_TRUE(pkg.CreatePackage(Path("p.res")));
    WriteText(Path("t.txt"), SampleText(20000, 7));
    pkg.AddFile(Path("t.txt"));
    const TResourceEntry entry = pkg.Entries()[0];
    const Bytes whole = ReadBytes(Path("p.res"));
    const auto data = static_cast<std::size_t>(entry.DataOffset);
    auto expectDamage = [&](const std::string& reason, bool outWritten) {
        try {
            pkg.ExtractTo("t.txt", Path("out"));
            ADD_FAILURE() << "no DamagedEntry for " << reason;
        } catch (const DamagedEntry& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(std::filesystem::exists(Path("out")), outWritten) << reason;
        EXPECT_TRUE(TempFiles().empty());
        std::filesystem::remove(Path("out"));
    };
    Bytes wrongLength = whole;
    Put32(wrongLength, data, 3231008);
    WriteBytes(Path("p.res"), wrongLength);
    expectDamage("stream length field 3231008 differs from the unpacked size 20000", false);

    Bytes longer = whole;  // entry and length field agree on more than the code bits hold
    Put32(longer, whole.size() - 124 + 84, 4000000);
    Put32(longer, data, 4000000);
    WriteBytes(Path("p.res"), longer);
    ASSERT_TRUE(pkg.OpenPackage(Path("p.res")));
    expectDamage("unpacks to ", true);

    std::filesystem::resize_file(Path("p.res"), static_cast<std::uintmax_t>(entry.DataOffset + entry.PackedSize / 2));
    expectDamage("cut short by the end of the package", false);
}

}  // namespace
}  // namespace instalator::package
