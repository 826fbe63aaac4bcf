#include "profile/ini_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/text.hpp"
#include "platform/file_system.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::profile {
namespace {

using namespace common;

using testing::ScratchDir;

std::string FileText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = testing::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

struct Write {
    std::string section;
    std::string key;
    std::string value;
};

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nothing: the file does not exist yet
    std::vector<Write> writes;
    std::string after;
};

// The exact bytes after a run of writes; every value written reads back at once.
TEST(IniFile, WritesGiveTheseBytes) {
    const std::string zolw = Cp1250(u8"Żółw"), ZOLW = Cp1250(u8"ŻÓŁW");
    const std::string ges = Cp1250(u8"Gęś"), GES = Cp1250(u8"GĘŚ"), value = Cp1250(u8"źdźbło");
    const std::vector<WriteCase> cases = {
        {"new file, sections in the order first written",
         std::nullopt,
         {{"Application", "Title", "Quill07"},
          {"Application", "Count", "1"},
          {"Item1", "Name", "C:\\APP\\APP.EXE"},
          {"C:\\APP\\APP.EXE", "Item", "1"},
          {"Application", "Count", "2"}},
         "[Application]\r\nTitle=Quill07\r\nCount=2\r\n[Item1]\r\nName=C:\\APP\\APP.EXE\r\n"
         "[C:\\APP\\APP.EXE]\r\nItem=1\r\n"},
        {"new key at the end of a middle section, before its blank line",
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n\r\n; about C\r\n[C]\r\nc=1\r\n",
         {{"B", "new", "2"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\nnew=2\r\n\r\n; about C\r\n[C]\r\nc=1\r\n"},
        {"new key in a section without keys goes right after its header",
         "[A]\n\n[B]\n",
         {{"A", "k", "v"}},
         "[A]\nk=v\r\n\n[B]\n"},
        {"replaced value keeps the rest of its line's start and every other byte",
         "; head\n[A]\n  x = 1 ; note\n\ty=2\nlast=3",
         {{"A", "x", "10"}},
         "; head\n[A]\n  x =10\n\ty=2\nlast=3"},
        {"a last line without its line break gets one before new text",
         "[A]\r\na=1",
         {{"A", "b", "2"}, {"New", "k", "v"}},
         "[A]\r\na=1\r\nb=2\r\n[New]\r\nk=v\r\n"},
        {"LF and CR-only files keep their line ends",
         "[A]\ra=1\r[B]\nb=1\n",
         {{"A", "c", "3"}, {"B", "b", "2"}, {"C", "c", "1"}},
         "[A]\ra=1\rc=3\r\n[B]\nb=2\n[C]\r\nc=1\r\n"},
        {"names match whatever their letter case, the file keeps its spelling",
         "[Application]\r\nCount=1\r\n[C:\\APP\\APP.EXE]\r\nItem=1\r\n",
         {{"APPLICATION", "COUNT", "2"}, {"c:\\app\\app.exe", "item", "3"}},
         "[Application]\r\nCount=2\r\n[C:\\APP\\APP.EXE]\r\nItem=3\r\n"},
        {"Polish names match their capitals, bytes written as given",
         "[" + zolw + "]\r\n" + ges + "=stare\r\n",
         {{ZOLW, GES, value}, {ZOLW, "Nowy", value}},
         "[" + zolw + "]\r\n" + ges + "=" + value + "\r\nNowy=" + value + "\r\n"},
        {"quoted value, blanks around names and an empty value",
         "  [ A ]  \r\n\tq = \"old\" \r\n",
         {{"A", "q", "new"}, {" A ", " e ", ""}},
         "  [ A ]  \r\n\tq =new\r\ne=\r\n"},
        {"the first of two sections of one name takes the writes",
         "[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nn=0\r\n",
         {{"A", "k", "3"}, {"a", "n", "4"}},
         "[A]\r\nk=3\r\nn=4\r\n[B]\r\n[a]\r\nk=2\r\nn=0\r\n"},
        {"comments and lines without = are neither keys nor section ends",
         "[A]\r\n;k=1\r\nk\r\n",
         {{"A", "k", "2"}},
         "[A]\r\nk=2\r\n;k=1\r\nk\r\n"},
        {"an empty file gets no blank line before its first section",
         "",
         {{"A", "k", "1"}},
         "[A]\r\nk=1\r\n"},
    };
    // Every kind of access gives the same bytes; a batch reaches the disk only when
    // committed, and all at once.
    for (const auto access : {TIniFile::Access::Shared, TIniFile::Access::Exclusive, TIniFile::Access::Batch}) {
        for (const WriteCase& c : cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(static_cast<int>(access));
            const ScratchDir dir;
            const std::string path = dir / "Setup.uni";
            if (c.before) testing::WriteText(path, *c.before);
            TIniFile ini(platform::HostFileSystem(), path, access);
            for (const Write& w : c.writes) {
                ini.WriteText(w.section, w.key, w.value);
                EXPECT_EQ(ini.ReadText(w.section, w.key, "<none>"), w.value) << w.section << "/" << w.key;
            }
            if (access == TIniFile::Access::Batch) {
                EXPECT_EQ(std::filesystem::exists(path), c.before.has_value());
                if (c.before) {
                    EXPECT_EQ(FileText(path), *c.before);
                }
                ini.Commit();
            }
            EXPECT_EQ(FileText(path), c.after);
            EXPECT_FALSE(std::filesystem::exists(path + "~"));
        }
    }
}

TEST(IniFile, ReadsFollowTheProfileRules) {
    const std::string text = "; comment=1\r\n"
                             "top=before any section\r\n"
                             "  [ Spaced Section ]  \r\n"
                             "\tkey one \t=\t value  with blanks \t\r\n"
                             "dq=\"  quoted  \"\r\n"
                             "sq='single'\r\n"
                             "mixed=\"mixed'\r\n"
                             "lone=\"\r\n"
                             "empty=\r\n"
                             "novalue\r\n"
                             ";hidden=1\r\n"
                             "eq=a=b\r\n"
                             "[" + Cp1250(u8"Żółw") + "]\n" + Cp1250(u8"GĘŚ=gęś") + "\n"
                             "[broken\r\n"
                             "after=broken header\r\n"
                             "[a]b]\r\n"
                             "k=bracket\r";
    const ScratchDir dir;
    const std::string path = dir / "Setup.lst";
    testing::WriteText(path, text);
    const TIniFile ini(platform::HostFileSystem(), path);
    const struct {
        std::string section, key, expected;
    } cases[] = {
        {"Spaced Section", "key one", "value  with blanks"},
        {"SPACED section", "KEY ONE", "value  with blanks"},
        {"Spaced Section", "dq", "  quoted  "},
        {"Spaced Section", "sq", "single"},
        {"Spaced Section", "mixed", "\"mixed'"},
        {"Spaced Section", "lone", "\""},
        {"Spaced Section", "empty", ""},
        {"Spaced Section", "novalue", "<default>"},
        {"Spaced Section", ";hidden", "<default>"},
        {"Spaced Section", "hidden", "<default>"},
        {"Spaced Section", "eq", "a=b"},
        {Cp1250(u8"Żółw"), "after", "broken header"},  // "[broken" starts no section
        {"", "top", "<default>"},
        {"", "comment", "<default>"},
        {Cp1250(u8"żółw"), Cp1250(u8"gęś"), Cp1250(u8"gęś")},
        {"a]b", "k", "bracket"},
        {"Missing", "k", "<default>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadText(c.section, c.key, "<default>"), c.expected) << c.section << "/" << c.key;
    }
}

TEST(IniFile, ReadNumberConvertsOrGivesTheDefault) {
    const struct {
        std::string text;
        std::int32_t expected;  // -7 is the default
    } cases[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$10", 16},
        {"0x10", 16},
        {"0xFFFFFFFF", -1},
        {"0x100000000", -7},
        {"0x", -7},
        {"0x-1", -7},
        {"12abc", -7},
        {"", -7},
        {"-5", -5},
        {"+5", 5},
        {"+-5", -7},
        {"-", -7},
        {"007", 7},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"2147483648", -7},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483649", -7},
        {"99999999999999999999", -7},
        {"\"42\"", 42},
        {"' 5'", -7},
        {"1 2", -7},
    };
    const ScratchDir dir;
    const std::string path = dir / "n.ini";
    std::string text = "[N]\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) text += "k" + std::to_string(i) + "=" + cases[i].text + "\r\n";
    testing::WriteText(path, text);
    const TIniFile ini(platform::HostFileSystem(), path);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ini.ReadNumber("N", "k" + std::to_string(i), -7), cases[i].expected) << cases[i].text;
    }
    EXPECT_EQ(ini.ReadNumber("N", "missing", -7), -7);
}

TEST(IniFile, NumbersAndFlagsAreWrittenAsText) {
    const ScratchDir dir;
    const std::string path = dir / "f.ini";
    TIniFile ini(platform::HostFileSystem(), path);
    ini.WriteNumber("S", "Min", std::numeric_limits<std::int32_t>::min());
    ini.WriteNumber("S", "Zero", 0);
    ini.WriteFlag("S", "Yes", true);
    ini.WriteFlag("S", "No", false);
    EXPECT_EQ(FileText(path), "[S]\r\nMin=-2147483648\r\nZero=0\r\nYes=1\r\nNo=0\r\n");
    EXPECT_EQ(ini.ReadNumber("s", "min", 1), std::numeric_limits<std::int32_t>::min());
}

// The uninstall log counts its records by reading back what it has just written,
// through a new object on the same file each time.
TEST(IniFile, ObjectsOnOneFileSeeEachOthersWrites) {
    const ScratchDir dir;
    const std::string path = dir / "Setup.uni";
    TIniFile first(platform::HostFileSystem(), path);
    for (int round = 0; round < 3; ++round) {
        TIniFile log(platform::HostFileSystem(), path);
        const std::int32_t n = log.ReadNumber("Application", "COUNT", 0) + 1;
        log.WriteText("Item" + std::to_string(n), "Name", "F" + std::to_string(n));
        log.WriteNumber("Application", "Count", n);
    }
    EXPECT_EQ(first.ReadNumber("APPLICATION", "count", 0), 3);
    first.WriteText("application", "Count", "0x10");
    EXPECT_EQ(TIniFile(platform::HostFileSystem(), path).ReadNumber("Application", "Count", 0), 16);
    EXPECT_EQ(FileText(path).find("Count"), FileText(path).rfind("Count"));  // replaced, not added
}

TEST(IniFile, ReadsReturnAtMost1023Characters) {
    const ScratchDir dir;
    const std::string path = dir / "long.ini";
    TIniFile ini(platform::HostFileSystem(), path);
    const std::string longValue(2000, 'x');
    ini.WriteText("S", "Long", longValue);
    ini.WriteText("S", "Fits", std::string(1023, 'y'));
    EXPECT_EQ(FileText(path).size(), 5 + (5 + 2000 + 2) + (5 + 1023 + 2));  // stored whole
    EXPECT_EQ(ini.ReadText("S", "Long", ""), longValue.substr(0, 1023));
    EXPECT_EQ(ini.ReadText("S", "Fits", ""), std::string(1023, 'y'));
    EXPECT_EQ(ini.ReadText("S", "Missing", longValue), longValue.substr(0, 1023));
}

TEST(IniFile, MissingFilesReadAsEmpty) {
    const ScratchDir dir;
    const TIniFile missing(platform::HostFileSystem(), dir / "none.ini");
    EXPECT_EQ(missing.ReadText("Application", "Title", "Quill07"), "Quill07");
    EXPECT_EQ(missing.ReadNumber("Resources", "Count", 0), 0);
    const TIniFile noPath(platform::HostFileSystem(), "");
    EXPECT_EQ(noPath.ReadText("Application", "TargetDir", "C:\\MyApp"), "C:\\MyApp");
    const TIniFile directory(platform::HostFileSystem(), dir.path().string());
    EXPECT_EQ(directory.ReadText("A", "k", "d"), "d");
}

TEST(IniFile, FailedWritesRaiseUnableToWrite) {
    const ScratchDir dir;
    testing::WriteText(dir / "file", "not a directory");
    std::filesystem::create_directory(dir / "folder");
    const std::string paths[] = {
        "",                             // no script
        dir / "missing/Setup.uni",  // a directory that does not exist
        dir / "file/Setup.uni",     // a file where a directory should be
        dir / "folder",             // a directory where the file should be
    };
    for (const std::string& path : paths) {
        TIniFile ini(platform::HostFileSystem(), path);
        try {
            ini.WriteText("Application", "Title", "Quill07");
            ADD_FAILURE() << "no error for " << path;
        } catch (const ProfileError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    EXPECT_EQ(FileText(dir / "file"), "not a directory");
}

// A file that stores only the first half of every write, as on a disk that fills up.
class FullDiskFile final : public platform::File {
public:
    explicit FullDiskFile(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t size) override { return file_->Read(buffer, size); }
    std::size_t Write(const void* data, std::size_t size) override { return file_->Write(data, size / 2); }
    void Seek(std::int64_t offset) override { file_->Seek(offset); }
    std::int64_t Position() override { return file_->Position(); }
    std::int64_t Size() override { return file_->Size(); }
    void Truncate(std::int64_t size) override { file_->Truncate(size); }
    void Close() override { file_->Close(); }

private:
    std::unique_ptr<platform::File> file_;
};

enum class Fault { DiskFull, RenameRefused, ReadRefused };

// The host file system with one fault.
class FaultyFileSystem final : public platform::FileSystem {
public:
    explicit FaultyFileSystem(Fault fault) : fault_(fault) {}
    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        if (fault_ == Fault::ReadRefused && mode == platform::OpenMode::Read) throw IoError(kAccessDenied, path);
        auto file = host_.Open(path, mode);
        if (fault_ != Fault::DiskFull || mode != platform::OpenMode::Create) return file;
        return std::make_unique<FullDiskFile>(std::move(file));
    }
    bool FileExists(const std::string& path) override { return host_.FileExists(path); }
    bool DirectoryExists(const std::string& path) override { return host_.DirectoryExists(path); }
    void RemoveFile(const std::string& path) override { host_.RemoveFile(path); }
    void RenameFile(const std::string& from, const std::string& to) override {
        if (fault_ == Fault::RenameRefused) throw IoError(kAccessDenied, to);
        host_.RenameFile(from, to);
    }
    void CreateDirectory(const std::string& path) override { host_.CreateDirectory(path); }
    void RemoveDirectory(const std::string& path) override { host_.RemoveDirectory(path); }
    std::vector<platform::DirectoryEntry> ListDirectory(const std::string& path) override {
        return host_.ListDirectory(path);
    }
    char Separator() const override { return host_.Separator(); }

private:
    platform::FileSystem& host_ = platform::HostFileSystem();
    Fault fault_;
};

// A write that fails part way leaves the file as it was, and no copy beside it; a
// file that cannot be read is not replaced by one made from nothing.
TEST(IniFile, FailedWritesKeepTheOldFile) {
    for (const Fault fault : {Fault::DiskFull, Fault::RenameRefused, Fault::ReadRefused}) {
        const ScratchDir dir;
        const std::string path = dir / "Setup.uni";
        const std::string before = "[Application]\r\nCount=1\r\n[Item1]\r\nName=C:\\A.EXE\r\n";
        testing::WriteText(path, before);
        for (const auto access : {TIniFile::Access::Shared, TIniFile::Access::Exclusive, TIniFile::Access::Batch}) {
            SCOPED_TRACE(static_cast<int>(access));
            FaultyFileSystem fs(fault);
            TIniFile ini(fs, path, access);
            if (access == TIniFile::Access::Batch && fault != Fault::ReadRefused) {
                ini.WriteText("Application", "Count", "2");
                ini.WriteText("Item2", "Name", "C:\\B.EXE");
                EXPECT_THROW(ini.Commit(), ProfileError);
            } else {
                EXPECT_THROW(ini.WriteText("Application", "Count", "2"), ProfileError);
            }
            EXPECT_EQ(FileText(path), before);
            EXPECT_FALSE(std::filesystem::exists(path + "~"));
            EXPECT_EQ(ini.ReadNumber("Application", "Count", 0), fault == Fault::ReadRefused ? 0 : 1);
        }
    }
}

}  // namespace
}  // namespace instalator::profile
