#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::platform {
namespace {

TEST(FileSystem, MakePathCreatesEachDirectoryUpToTheLastSeparator) {
    const testing::ScratchDir dir;
    auto& fs = platform::HostFileSystem();
    MakePath(fs, dir / "A/B/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "A/B"));
    MakePath(fs, dir / "A/B/");  // all there already: not an error
    MakePath(fs, dir / "C/D");   // without the final separator D is a file name
    EXPECT_TRUE(std::filesystem::is_directory(dir / "C"));
    EXPECT_FALSE(std::filesystem::exists(dir / "C/D"));
    testing::WriteText(dir / "file", "");
    MakePath(fs, dir / "file/H/I/");  // a file in the way: every step fails, quietly
    EXPECT_FALSE(std::filesystem::exists(dir / "file/H"));
}

}  // namespace
}  // namespace instalator::platform
