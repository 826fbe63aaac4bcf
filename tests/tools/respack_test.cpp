// Runs the respack program itself, as a user would, in a scratch directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

#include "support/package_bytes.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::respack {
namespace {

using testing::Bytes;
using testing::Put32;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteText;
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) { return "'" + text + "'"; }

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadBytes(path.string());
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

Bytes TextBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    const std::string words[] = {"instalacja ", "pakietu ", "Quill07 ", "plik ", "katalog\r\n", "1998 ", "dysk "};
    Bytes bytes;
    while (bytes.size() < size) {
        const std::string& word = words[random() % std::size(words)];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

class RespackTest : public ::testing::Test {
protected:
    RespackTest() { fs::create_directory(dir.path() / "tmp"); }

    // Runs respack with args in the scratch directory, with its temporary
    // directory there too.
    Outcome Run(const std::string& args) const {
        const std::string tmp = Quote((dir.path() / "tmp").string());
        const std::string command = "cd " + Quote(dir.path().string()) + " && TEMP=" + tmp + " TMP=" + tmp +
                                    " TMPDIR=" + tmp + " " + Quote(INSTALATOR_RESPACK) + " " + args +
                                    " >stdout.txt 2>stderr.txt </dev/null";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadText(dir.path() / "stdout.txt");
        outcome.err = ReadText(dir.path() / "stderr.txt");
        fs::remove(dir.path() / "stdout.txt");
        fs::remove(dir.path() / "stderr.txt");
        return outcome;
    }

    fs::path Path(const std::string& name) const { return dir.path() / name; }

    testing::ScratchDir dir;
};

TEST_F(RespackTest, RoundTripOfFilesOfSeveralMegabytes) {
    const std::string polish = "\xC5\xBC\xC3\xB3\xC5\x82w.txt";  // żółw.txt in UTF-8
    WriteBytes(Path("text.txt").string(), TextBytes(2'000'000, 1));
    WriteBytes(Path("random.bin").string(), RandomBytes(1'000'000, 2));
    WriteBytes(Path("zeros.bin").string(), Bytes(1'500'000, 0));
    WriteText(Path(polish).string(), "zawartość");
    fs::copy_file(std::string(INSTALATOR_TEST_DATA) + "/pe/app64.exe", Path("app64.exe"));
    const std::vector<std::string> files = {"text.txt", "random.bin", "zeros.bin", "app64.exe", polish};

    ASSERT_EQ(Run("create p.res").status, 0);
    EXPECT_EQ(fs::file_size(Path("p.res")), 168u);
    const Outcome add = Run("add p.res text.txt random.bin zeros.bin app64.exe " + polish);
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(add.err, "");

    // The files in order, then the catalogue that add writes after them.
    const Outcome list = Run("list p.res");
    ASSERT_EQ(list.status, 0) << list.err;
    const auto lines = Lines(list.out);
    ASSERT_EQ(lines.size(), files.size() + 1);
    std::int64_t offset = 168;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string file = i < files.size() ? files[i] : ":catalogue";
        SCOPED_TRACE(file);
        std::istringstream fields(lines[i]);
        std::string name, ratio, version;
        std::int64_t unpacked = 0, packed = 0, dataOffset = 0;
        fields >> name >> unpacked >> packed >> ratio >> version >> dataOffset;
        EXPECT_EQ(name, file);
        if (i < files.size()) {
            EXPECT_EQ(unpacked, static_cast<std::int64_t>(fs::file_size(Path(file))));
        }
        char expectedRatio[32];
        std::snprintf(expectedRatio, sizeof expectedRatio, "%.1f%%", 100.0 * packed / unpacked);
        EXPECT_EQ(ratio, expectedRatio);
        EXPECT_EQ(version, file == "app64.exe" ? "7.65535.32768.300" : "0.0.0.0");
        EXPECT_EQ(dataOffset, offset);
        offset += packed + 124;
    }
    EXPECT_EQ(offset, static_cast<std::int64_t>(fs::file_size(Path("p.res"))));

    const Outcome test = Run("test p.res");
    EXPECT_EQ(test.status, 0) << test.err;
    EXPECT_EQ(test.out, "p.res: 5 entries, all intact and matching the catalogue\n");

    // The catalogue is no file: extract passes over it.
    const Outcome extract = Run("extract p.res -d out");
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(Names(Path("out")).size(), files.size());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadBytes(Path("out/" + file).string()), ReadBytes(Path(file).string()));
    }
    // A named entry, asked for in other letter case, comes out under its stored name.
    ASSERT_EQ(Run("extract p.res -d named TEXT.TXT").status, 0);
    EXPECT_EQ(Names(Path("named")), std::vector<std::string>{"text.txt"});
    // Every run cleaned up its private temporary directory.
    EXPECT_TRUE(Names(Path("tmp")).empty());
}

TEST_F(RespackTest, EachDamageHasItsOwnMessage) {
    const Bytes good = testing::BuildPackage({{"a.txt"}, {"b.txt"}});  // entries at 176 and 308
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        int status;
        std::string err;
    } cases[] = {
        {"short header", [](Bytes& b) { b.resize(100); }, 1,
         "respack: p.res: not a package (shorter than its 168-byte header: 100 bytes)\n"},
        {"offset beyond the end", [](Bytes& b) { Put32(b, 164, 5000); }, 1,
         "respack: p.res: entry 1: offset 5000 is beyond the end of the file (432 bytes)\n"},
        {"loop", [](Bytes& b) { Put32(b, 308 + 116, 176); }, 1,
         "respack: p.res: entry 3: offset 176 is that of entry 1, the entry chain loops\n"},
        {"129 entries", [](Bytes& b) { b = testing::PackageOfAbcEntries(129); }, 1,
         "respack: p.res: more than 128 entries in the entry chain\n"},
        {"negative size", [](Bytes& b) { Put32(b, 308 + 84, -3); }, 1,
         "respack: p.res: entry 2 \"b.txt\" at offset 308: negative unpacked size -3\n"},
        {"long name", [](Bytes& b) { b[308] = 81; }, 1,
         "respack: p.res: entry 2 at offset 308: name length 81 is above 80 characters\n"},
        {"stream shorter than declared",
         [](Bytes& b) {
             Put32(b, 168, 1000);
             Put32(b, 176 + 84, 1000);
         },
         1,
         "respack: p.res: entry 1 \"a.txt\": stream shorter than its declared size (the code bits end before all "
         "1000 bytes are decoded)\n"},
        {"two damaged streams",
         [](Bytes& b) {
             Put32(b, 168, 5);
             Put32(b, 300, 70000);
             Put32(b, 308 + 84, 70000);
         },
         1,
         "respack: p.res: entry 1 \"a.txt\": stream length field 5 differs from the unpacked size 3\n"
         "respack: p.res: entry 2 \"b.txt\": stream shorter than its declared size (the code bits end before all "
         "70000 bytes are decoded)\n"},
        {"foreign magic", [](Bytes& b) { b[1] = 'X'; }, 0,
         "respack: p.res: warning: the header does not start with the package's magic text\n"},
        {"stray bytes", [](Bytes& b) { b.insert(b.end(), 10, 0); }, 0,
         "respack: p.res: warning: 10 bytes after the last entry belong to no entry\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path("p.res").string(), bytes);
        const Outcome test = Run("test p.res");
        EXPECT_EQ(test.status, c.status);
        EXPECT_EQ(test.err, c.err);
    }
    // extract refuses a stream whose length disagrees with its entry, and unpacks a
    // short one only as far as its code bits go, saying so.
    Bytes streams = good;
    Put32(streams, 168, 5);
    Put32(streams, 300, 70000);
    Put32(streams, 308 + 84, 70000);
    WriteBytes(Path("p.res").string(), streams);
    const Outcome extract = Run("extract p.res -d out");
    EXPECT_EQ(extract.status, 1);
    EXPECT_EQ(extract.err,
              "respack: p.res: entry \"a.txt\" not extracted: stream length field 5 differs from the unpacked size 3\n"
              "respack: p.res: entry \"b.txt\" unpacks to 3 of its 70000 bytes before its stream ends; out/b.txt is "
              "incomplete\n");
    EXPECT_EQ(Names(Path("out")), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(fs::file_size(Path("out/b.txt")), 3u);

    // list shows what lies before the damage, then says what it is.
    Bytes looped = good;
    Put32(looped, 308 + 116, 176);
    WriteBytes(Path("p.res").string(), looped);
    const Outcome list = Run("list p.res");
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(Lines(list.out).size(), 2u);
    EXPECT_NE(list.err.find("the entry chain loops"), std::string::npos);
}

TEST_F(RespackTest, UsageErrorsHelpAndVersion) {
    WriteBytes(Path("p.res").string(), testing::BuildPackage({}));
    const struct {
        const char* args;
        int status;
        std::string outStart;
    } cases[] = {
        {"", 2, ""},
        {"frobnicate p.res", 2, ""},
        {"list", 2, ""},
        {"list p.res extra", 2, ""},
        {"create", 2, ""},
        {"add p.res", 2, ""},
        {"extract p.res -d", 2, ""},
        {"extract p.res -q", 2, ""},
        {"--help", 0, "Usage: respack COMMAND"},
        {"-h", 0, "Usage: respack COMMAND"},
        {"extract --help", 0, "Usage: respack extract PACKAGE [-d DIR] [NAME...]"},
        {"add p.res --help", 0, "Usage: respack add [--no-catalogue] [-j N] [-q] PACKAGE FILE..."},
        {"add -j 0 p.res p.res", 2, ""},
        {"build", 2, ""},
        {"build --volume-size 1.44M Setup.lst", 2, ""},
        {"check Setup.lst -o out", 2, ""},
        {"build --help", 0, "Usage: respack build [-o DIR]"},
        {"--version", 0, "respack 1.0.0\n"},
        {"list missing.res", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome outcome = Run(c.args);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.out.substr(0, c.outStart.size()), c.outStart);
        if (c.status != 0) {
            EXPECT_EQ(Lines(outcome.err).size(), 1u) << outcome.err;
            EXPECT_EQ(outcome.err.substr(0, 9), "respack: ");
        }
    }
    EXPECT_EQ(Run("list missing.res").err, "respack: missing.res: File not found\n");
    EXPECT_EQ(Run("add p.res nothing.txt").err, "respack: nothing.txt: File not found\n");
}

TEST_F(RespackTest, HostileNamesAreRefusedAndNothingIsWrittenOutsideTheDirectory) {
    const std::vector<std::string> hostile = {"../evil.txt", "..",      "sub/x.txt", "a\\b.txt", "C:x.txt",
                                              "bell\x07.txt", "CON",     "nul.txt",   "Com3.log", ""};
    std::vector<testing::SampleEntry> entries;
    for (const std::string& name : hostile) entries.push_back({name});
    entries.push_back({"good.txt"});
    WriteBytes(Path("p.res").string(), testing::BuildPackage(entries));
    // A link in the target directory must be replaced, not written through.
    fs::create_directory(Path("out"));
    WriteText(Path("victim.txt").string(), "untouched");
    fs::create_symlink("../victim.txt", Path("out/good.txt"));

    const Outcome extract = Run("extract p.res -d out");
    EXPECT_EQ(extract.status, 1);
    const auto lines = Lines(extract.err);
    EXPECT_EQ(lines.size(), hostile.size());
    for (const std::string& line : lines) EXPECT_NE(line.find("not extracted"), std::string::npos) << line;
    EXPECT_NE(extract.err.find("\"bell\\x07.txt\" not extracted: a name with control characters"), std::string::npos);
    EXPECT_EQ(Names(Path("out")), std::vector<std::string>{"good.txt"});
    EXPECT_FALSE(fs::is_symlink(Path("out/good.txt")));
    EXPECT_EQ(ReadText(Path("out/good.txt")), "abc");
    EXPECT_EQ(ReadText(Path("victim.txt")), "untouched");
    EXPECT_FALSE(fs::exists(Path("evil.txt")));
    EXPECT_FALSE(fs::exists(Path("sub")));

    // A missing name is reported; the others are still unpacked.
    fs::remove(Path("out/good.txt"));
    const Outcome named = Run("extract p.res -d out missing.txt GOOD.TXT");
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err, "respack: p.res: no entry named \"missing.txt\"\n");
    EXPECT_EQ(ReadText(Path("out/good.txt")), "abc");
    EXPECT_TRUE(Names(Path("tmp")).empty());
}

TEST_F(RespackTest, RepeatedNamesAreWarnedAboutAndTheFirstWins) {
    WriteText(Path("a.txt").string(), "first");
    ASSERT_EQ(Run("create p.res").status, 0);
    ASSERT_EQ(Run("add p.res a.txt").status, 0);
    WriteText(Path("a.txt").string(), "second");
    const Outcome add = Run("add p.res a.txt");
    EXPECT_EQ(add.status, 0);
    EXPECT_EQ(add.err,
              "respack: p.res: warning: an entry named \"a.txt\" is already in the package; lookups keep finding the "
              "older one\n");
    const Outcome extract = Run("extract p.res -d out");
    EXPECT_EQ(extract.status, 0);
    EXPECT_EQ(extract.err, "respack: p.res: warning: entry \"a.txt\" skipped: an earlier entry has that name\n");
    EXPECT_EQ(ReadText(Path("out/a.txt")), "first");
}

TEST_F(RespackTest, CatalogueFindsDamageAndStaysSingle) {
    WriteText(Path("a.txt").string(), "pierwszy plik pakietu");
    WriteText(Path("b.txt").string(), "drugi plik pakietu, nieco d\xB3u\xBFszy od pierwszego");
    WriteText(Path("c.txt").string(), "trzeci");
    ASSERT_EQ(Run("create p.res").status, 0);
    ASSERT_EQ(Run("add p.res a.txt b.txt c.txt").status, 0);
    // Adding in steps replaces the catalogue each time and ends with the same bytes.
    ASSERT_EQ(Run("create steps.res").status, 0);
    ASSERT_EQ(Run("add steps.res a.txt").status, 0);
    ASSERT_EQ(Run("add steps.res b.txt c.txt").status, 0);
    const Bytes good = ReadBytes(Path("p.res").string());
    EXPECT_EQ(ReadBytes(Path("steps.res").string()), good);
    // A file that cannot be packed leaves the package as it was, catalogue included.
    EXPECT_EQ(Run("add p.res missing.txt").status, 1);
    EXPECT_EQ(ReadBytes(Path("p.res").string()), good);
    EXPECT_EQ(Run("test p.res").out, "p.res: 3 entries, all intact and matching the catalogue\n");
    // Without a catalogue, as before; one already there is taken away.
    ASSERT_EQ(Run("create old.res").status, 0);
    ASSERT_EQ(Run("add old.res --no-catalogue a.txt b.txt c.txt").status, 0);
    ASSERT_EQ(Run("add --no-catalogue steps.res c.txt").status, 0);
    ASSERT_EQ(Run("add old.res --no-catalogue c.txt").status, 0);
    EXPECT_EQ(ReadBytes(Path("steps.res").string()), ReadBytes(Path("old.res").string()));
    const Outcome old = Run("test old.res");
    EXPECT_EQ(old.status, 0);
    EXPECT_EQ(old.out, "old.res: 4 entries, all intact\n");

    const std::vector<std::size_t> at = testing::EntryOffsets(good);  // a, b, c, the catalogue
    ASSERT_EQ(at.size(), 4u);
    const auto data = [&](std::size_t i) {
        return static_cast<std::size_t>(testing::Get32(good, at[i] + testing::kDataOffsetField));
    };
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::string err;
    } cases[] = {
        {"a flipped bit in a stream", [&](Bytes& b) { b[data(1) + 9] ^= 0x08; },
         "respack: p.res: entry 2 \"b.txt\": packed data differ from the catalogue (CRC-32 CF5C250B, the "
         "catalogue has C6C711BC)\n"},
        {"a flipped bit in the catalogue", [&](Bytes& b) { b[data(3) + 9] ^= 0x08; },
         "respack: p.res: catalogue: its bytes have the CRC-32 AC938FA6, not the stored 20202020 (the catalogue "
         "is damaged)\n"},
        {"an entry renamed", [&](Bytes& b) { b[at[1] + 1] = 'x'; },
         "respack: p.res: entry 2 \"x.txt\": not in the catalogue\n"
         "respack: p.res: catalogue record \"b.txt\" has no entry in the package\n"},
        {"an entry taken out of the chain",
         [&](Bytes& b) { Put32(b, at[0] + testing::kNextEntryField, static_cast<std::int32_t>(at[2])); },
         "respack: p.res: catalogue record \"b.txt\" has no entry in the package\n"},
        {"a size changed", [&](Bytes& b) { Put32(b, at[2] + testing::kUnpackedSizeField, 7); },
         "respack: p.res: entry 3 \"c.txt\": stream length field 6 differs from the unpacked size 7\n"
         "respack: p.res: entry 3 \"c.txt\": unpacked size 7 differs from the catalogue's 6\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path("p.res").string(), bytes);
        const Outcome test = Run("test p.res");
        EXPECT_EQ(test.status, 1);
        EXPECT_EQ(test.err, c.err);
        EXPECT_EQ(test.out, "");
    }
}

TEST_F(RespackTest, FilesThatFillThePackageLeaveNoRoomForTheCatalogue) {
    std::string names;
    for (int i = 1; i <= 128; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        WriteText(Path(name).string(), name);
        names += " " + name;
    }
    ASSERT_EQ(Run("create p.res").status, 0);
    const Outcome add = Run("add p.res" + names);
    EXPECT_EQ(add.status, 0);
    EXPECT_EQ(add.err,
              "respack: p.res: warning: the package holds 128 entries, the most it can, so it is written without "
              "a catalogue\n");
    EXPECT_EQ(Run("test p.res").out, "p.res: 128 entries, all intact\n");
}

}  // namespace
}  // namespace instalator::respack
