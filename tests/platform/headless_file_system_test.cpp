#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.hpp"
#include "package/version.hpp"
#include "platform/headless/machine.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::platform {
namespace {

using testing::ScratchDir;

class HeadlessFileSystemTest : public ::testing::Test {
protected:
    HeadlessFileSystemTest() {
        std::filesystem::create_directories(scratch.path() / "c" / "Program Files" / "App");
        std::filesystem::create_directories(scratch.path() / "d");
        testing::WriteText(scratch / "c/Program Files/App/Main.EXE", "program");
        testing::WriteText(scratch / "outside.txt", "secret");
        fs.MapDrive('c', scratch.path() / "c");
        fs.MapDrive('D', scratch.path() / "d");
    }

    int ErrorCode(const std::function<void()>& operation) {
        try {
            operation();
        } catch (const common::IoError& error) {
            return error.code();
        }
        return 0;
    }

    ScratchDir scratch;
    HeadlessFileSystem fs;
};

TEST_F(HeadlessFileSystemTest, ResolvesExistingNamesWithoutRegardToCaseAndSeparator) {
    const std::string expected = scratch / "c/Program Files/App/Main.EXE";
    for (const char* path : {"C:\\Program Files\\App\\Main.EXE", "c:\\PROGRAM FILES\\app\\main.exe",
                             "C:/program files/APP/MAIN.exe", "C:\\Program Files\\.\\App\\..\\App\\\\Main.EXE"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(fs.FileExists(path));
        EXPECT_FALSE(fs.DirectoryExists(path));
        EXPECT_EQ(fs.HostPath(path), expected);
    }
    EXPECT_TRUE(fs.DirectoryExists("c:\\program files"));
    EXPECT_TRUE(fs.DirectoryExists("C:\\"));
    EXPECT_TRUE(fs.DirectoryExists("d:\\"));
}

TEST_F(HeadlessFileSystemTest, NewNamesKeepTheirSpellingBelowExistingOnes) {
    fs.CreateDirectory("C:\\PROGRAM FILES\\NewDir");
    EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "c/Program Files/NewDir"));
    auto file = fs.Open("c:\\program files\\newdir\\Data.Bin", OpenMode::Create);
    file->Write("xy", 2);
    file->Close();
    EXPECT_EQ(testing::ReadBytes(scratch / "c/Program Files/NewDir/Data.Bin").size(), 2u);
    EXPECT_TRUE(fs.FileExists("C:\\Program Files\\NEWDIR\\DATA.BIN"));
}

TEST_F(HeadlessFileSystemTest, RefusesPathsOutsideTheMappedDrives) {
    struct Case {
        const char* path;
        int code;
    };
    for (const Case& c : {Case{"C:\\..\\outside.txt", common::kPathNotFound},
                          Case{"C:\\Program Files\\..\\..\\outside.txt", common::kPathNotFound},
                          Case{"E:\\anything.txt", common::kPathNotFound},
                          Case{"\\\\server\\share\\file.txt", common::kPathNotFound},
                          Case{"C:\\bad*name.txt", 123}, Case{"C:\\a:b\\c.txt", 123}}) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(fs.FileExists(c.path));
        EXPECT_EQ(ErrorCode([&] { fs.Open(c.path, OpenMode::Read); }), c.code);
        EXPECT_EQ(ErrorCode([&] { fs.Open(c.path, OpenMode::Create); }), c.code);
    }
    EXPECT_EQ(testing::ReadBytes(scratch / "outside.txt").size(), 6u);
    // Climbing back down inside the drive is fine.
    EXPECT_TRUE(fs.DirectoryExists("C:\\Program Files\\.."));
}

TEST_F(HeadlessFileSystemTest, ErrorsNameTheWindowsPath) {
    try {
        fs.Open("C:\\Program Files\\missing.txt", OpenMode::Read);
        FAIL() << "opened a missing file";
    } catch (const common::IoError& error) {
        EXPECT_EQ(error.code(), common::kFileNotFound);
        EXPECT_EQ(error.path(), "C:\\Program Files\\missing.txt");
    }
}

TEST_F(HeadlessFileSystemTest, LockedFilesCanBeReadButNotChanged) {
    const std::string path = "C:\\Program Files\\App\\Main.EXE";
    fs.Lock("c:\\program files\\app\\main.exe");
    EXPECT_EQ(ErrorCode([&] { fs.RemoveFile(path); }), kSharingViolation);
    EXPECT_EQ(ErrorCode([&] { fs.Open(path, OpenMode::Create); }), kSharingViolation);
    EXPECT_EQ(ErrorCode([&] { fs.Open(path, OpenMode::ReadWrite); }), kSharingViolation);
    EXPECT_EQ(ErrorCode([&] { fs.RenameFile(path, "C:\\other.exe"); }), kSharingViolation);
    testing::WriteText(scratch / "c/new.exe", "new");
    EXPECT_EQ(ErrorCode([&] { fs.RenameFile("C:\\new.exe", path); }), kSharingViolation);
    EXPECT_EQ(fs.Open(path, OpenMode::Read)->Size(), 7);
    EXPECT_EQ(testing::ReadBytes(scratch / "c/Program Files/App/Main.EXE").size(), 7u);

    fs.Unlock(path);
    fs.RemoveFile(path);
    EXPECT_FALSE(fs.FileExists(path));
}

TEST_F(HeadlessFileSystemTest, RelativePathsFollowTheCurrentDirectory) {
    EXPECT_EQ(fs.CurrentDirectory(), "C:\\");
    ASSERT_TRUE(fs.ChangeDirectory("c:\\program files\\app"));
    EXPECT_EQ(fs.CurrentDirectory(), "C:\\program files\\app");
    EXPECT_TRUE(fs.FileExists("Main.exe"));
    EXPECT_TRUE(fs.FileExists("..\\App\\Main.exe"));
    EXPECT_TRUE(fs.FileExists("C:Main.exe"));
    EXPECT_TRUE(fs.DirectoryExists("\\Program Files"));
    EXPECT_FALSE(fs.FileExists("D:Main.exe"));

    EXPECT_FALSE(fs.ChangeDirectory("C:\\Program Files\\App\\Main.EXE"));
    EXPECT_FALSE(fs.ChangeDirectory("C:\\Nowhere"));
    EXPECT_FALSE(fs.ChangeDirectory("E:\\"));
    EXPECT_EQ(fs.CurrentDirectory(), "C:\\program files\\app");
    ASSERT_TRUE(fs.ChangeDirectory("D:\\"));
    EXPECT_TRUE(fs.DirectoryExists("\\"));
    EXPECT_EQ(fs.HostPath("\\"), (scratch.path() / "d").string());
}

TEST(HeadlessSystemTest, AnswersWhatTheTestSetUp) {
    ScratchDir scratch;
    HeadlessMachine machine;
    machine.files.MapDrive('C', scratch.path());
    machine.files.MapDrive('D', scratch.path());
    machine.system.SetFreeDiskSpace('d', std::nullopt);
    machine.system.SetFreeDiskSpace('C', 5'000'000'000LL);
    EXPECT_EQ(machine.system.FreeDiskSpace("C:\\"), 5'000'000'000LL);
    EXPECT_EQ(machine.system.FreeDiskSpace("c:\\"), 5'000'000'000LL);
    EXPECT_EQ(machine.system.FreeDiskSpace("D:\\"), std::nullopt);
    EXPECT_EQ(machine.system.FreeDiskSpace("E:\\"), std::nullopt);
    EXPECT_EQ(machine.system.FreeDiskSpace("\\:\\"), std::nullopt);
    EXPECT_EQ(machine.system.FreeDiskSpace("C:"), std::nullopt);

    machine.system.SetEnvironmentVariable("TEMP", "C:\\TMP");
    EXPECT_EQ(machine.system.EnvironmentVariable("temp"), "C:\\TMP");
    machine.system.SetEnvironmentVariable("Temp", std::nullopt);
    EXPECT_EQ(machine.system.EnvironmentVariable("TEMP"), std::nullopt);

    ASSERT_TRUE(machine.system.SetCurrentDirectory("D:\\"));
    EXPECT_EQ(machine.files.CurrentDirectory(), "D:\\");
}

TEST(HeadlessSystemTest, ReadsFileVersionsThroughItsDrives) {
    ScratchDir scratch;
    HeadlessMachine machine;
    machine.files.MapDrive('C', scratch.path());
    std::filesystem::create_directories(scratch.path() / "WINDOWS" / "SYSTEM");
    std::filesystem::copy_file(std::string(INSTALATOR_TEST_DATA) + "/pe/app32.exe",
                               scratch.path() / "WINDOWS" / "SYSTEM" / "App32.exe");
    EXPECT_EQ(package::ReadFileVersion(machine.files, "c:\\windows\\system\\APP32.EXE"), (package::FileVersion{1, 2, 3, 4}));
    EXPECT_EQ(package::ReadFileVersion(machine.files, "C:\\WINDOWS\\SYSTEM\\missing.dll"), package::FileVersion{});
}

}  // namespace
}  // namespace instalator::platform
