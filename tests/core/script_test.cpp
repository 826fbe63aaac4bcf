// Reading the installation script: key names, defaults, typed values, and the run's
// writes into the script copy.

#include <gtest/gtest.h>

#include "core/script.hpp"
#include "platform/file_system.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::core {
namespace {

profile::TIniFile ScriptWith(testing::ScratchDir& dir, const std::string& text) {
    const std::string path = (dir.path() / "Setup.lst").string();
    auto file = platform::HostFileSystem().Open(path, platform::OpenMode::Create);
    file->Write(text.data(), text.size());
    file->Close();
    return profile::TIniFile(platform::HostFileSystem(), path);
}

TEST(ScriptTest, KeyNamesJoinWordNumberAndSuffix) {
    EXPECT_EQ(ItemKey(3, "Dest"), "Item3Dest");
    EXPECT_EQ(ItemKey(12), "Item12");
    EXPECT_EQ(ItemKey(1, "Rewrite"), "Item1Rewrite");
    EXPECT_EQ(SplashKey(2, 5), "Item2_5");
    EXPECT_EQ(SplashKey(10, 1), "Item10_1");
}

TEST(ScriptTest, EmptyScriptGivesTheDefaults) {
    testing::ScratchDir dir;
    const profile::TIniFile script = ScriptWith(dir, "");
    EXPECT_EQ(ScriptTitle(script), "Quill07");
    EXPECT_EQ(ScriptTargetDir(script), "C:\\MyApp");
    EXPECT_EQ(ScriptGroup(script), "");
    EXPECT_EQ(ScriptPrgSpace(script), 0);
    EXPECT_EQ(ScriptWinSpace(script), 0);
    EXPECT_EQ(ScriptShell(script), "");
    EXPECT_EQ(ScriptUninstall(script), "");
    EXPECT_EQ(VolumeCount(script), 0);
    EXPECT_EQ(VolumeName(script, 1), "");
    EXPECT_TRUE(VolumeRewrite(script, 1));
    EXPECT_EQ(VolumeFileCount(script, "Setup1.res"), 0);
    EXPECT_EQ(SplashPicture(script, 1, 1), "");
    EXPECT_EQ(InstallRegCount(script), 0);
    const ScriptItem item = ReadScriptItem(script, "Setup1.res", 1);
    EXPECT_EQ(item.Name, "");
    EXPECT_EQ(item.Shell, 0);
    EXPECT_EQ(item.Reg, 0);
}

TEST(ScriptTest, ReadsEveryKeyOfAVolumeItem) {
    testing::ScratchDir dir;
    const profile::TIniFile script = ScriptWith(dir,
        "[Resources]\r\nCount=0x2\r\nItem1=Setup1.res\r\nItem2=Setup2.res\r\nItem2Rewrite=no\r\n"
        "[setup2.RES]\r\nCount=3\r\nItem3=Help.txt\r\nItem3Dest=Doc\r\nItem3Shell=2\r\nItem3Link=Help.lnk\r\n"
        "Item3File=C:\\VIEW.EXE\r\nItem3Parameter=/r\r\nItem3Reg=1\r\n"
        "[Splash]\r\nItem2_3=Pic.bmp\r\n[InstallReg]\r\nCount=abc\r\nItem1=C:\\A.DLL\r\n");
    EXPECT_EQ(VolumeCount(script), 2);
    EXPECT_EQ(VolumeName(script, 2), "Setup2.res");
    EXPECT_FALSE(VolumeRewrite(script, 2));
    EXPECT_TRUE(VolumeRewrite(script, 1));
    EXPECT_EQ(VolumeFileCount(script, VolumeName(script, 2)), 3);
    const ScriptItem item = ReadScriptItem(script, "Setup2.res", 3);
    EXPECT_EQ(item.Name, "Help.txt");
    EXPECT_EQ(item.Dest, "Doc");
    EXPECT_EQ(item.Shell, 2);
    EXPECT_EQ(item.Link, "Help.lnk");
    EXPECT_EQ(item.File, "C:\\VIEW.EXE");
    EXPECT_EQ(item.Parameter, "/r");
    EXPECT_EQ(item.Reg, 1);
    EXPECT_EQ(SplashPicture(script, 2, 3), "Pic.bmp");
    EXPECT_EQ(InstallRegCount(script), 0);  // does not convert
    EXPECT_EQ(InstallRegItem(script, 1), "C:\\A.DLL");
}

TEST(ScriptTest, RewriteIsTrueInAnyLetterCaseOnly) {
    const std::pair<const char*, bool> cases[] = {
        {"true", true}, {"TRUE", true}, {"True", true}, {"false", false}, {"no", false}, {"", false}, {"1", false},
        {"true ", true},  // blanks around values are not part of them
    };
    for (const auto& [value, expected] : cases) {
        testing::ScratchDir dir;
        const profile::TIniFile script = ScriptWith(dir, std::string("[Resources]\r\nItem1Rewrite=") + value + "\r\n");
        EXPECT_EQ(VolumeRewrite(script, 1), expected) << "\"" << value << "\"";
    }
}

TEST(ScriptTest, GroupIsWrittenOnlyWhenNotEmpty) {
    testing::ScratchDir dir;
    profile::TIniFile script = ScriptWith(dir, "[Application]\r\nGroup=Stara\r\n");
    WriteScriptGroup(script, "");
    EXPECT_EQ(ScriptGroup(script), "Stara");
    WriteScriptGroup(script, "Nowa grupa");
    EXPECT_EQ(ScriptGroup(script), "Nowa grupa");
}

}  // namespace
}  // namespace instalator::core
