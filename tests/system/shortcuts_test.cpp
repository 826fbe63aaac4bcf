// Shortcuts, the uninstall shortcut and the uninstall entry on the headless machine:
// where the links land, what they start, what the uninstall log and the registry
// hold afterwards, and where an error stops the step.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "profile/ini_file.hpp"
#include "profile/reg_ini_file.hpp"
#include "common/strings.hpp"
#include "core/installer.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/run_installer.hpp"
#include "system/shortcuts.hpp"
#include "system/uninstall_entry.hpp"
#include "support/installer_machine.hpp"

namespace instalator::system {
namespace {

using core::ShortCutEntry;
using platform::KeyProtection;
using platform::RootKey;
using platform::ShellLink;
using testing::InstallerMachine;

const std::string kExplorer = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kPrograms = "C:\\WINDOWS\\Start Menu\\Programs";

struct Scene {
    std::string script = "[Application]\r\nTitle=Quill07 Pro\r\nUninstall=UNINST.EXE\r\n";
    std::optional<std::string> programs = kPrograms;  // nothing: no "Programs" value
    bool programsExists = true;
    std::string targetDir = "C:\\APP\\";
    std::vector<ShortCutEntry> shortcuts;
};

// What InstallIcons left behind.
struct Result {
    std::optional<std::string> error;
    std::string log;  // Setup.uni, empty when there is none
    std::optional<std::string> displayName;
    std::optional<std::string> uninstallString;
};

std::optional<std::string> UninstallValue(InstallerMachine& m, const std::string& name) {
    auto key = m.machine.registry.OpenRoot(RootKey::LocalMachine);
    auto entry = key->OpenSubKey(kUninstall + "\\" + kUninstallSubKey, platform::KeyAccess::Read);
    return entry ? entry->QueryString(name) : std::nullopt;
}

Result InstallIconsOn(InstallerMachine& m, const Scene& setup) {
    if (setup.programs) {
        m.machine.registry.SetValue(RootKey::CurrentUser, kExplorer + "\\Shell Folders", "Programs", platform::kRegSz,
                                    *setup.programs + std::string(1, '\0'));
        if (setup.programsExists) platform::MakePath(m.machine.files, *setup.programs + "\\");
    }
    platform::MakePath(m.machine.files, setup.targetDir);
    m.PrepareInstaller(setup.script);
    Result result;
    m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        setup::CreateWindows(run);
        run.State.TargetDir = setup.targetDir;
        for (const ShortCutEntry& entry : setup.shortcuts) run.State.ShortCutList[run.State.ShortCutCount++] = entry;
        try {
            InstallIcons(run);
        } catch (const common::Error& error) {
            result.error = error.what();
        }
        return 0;
    });
    const std::string logPath = setup.targetDir + "Setup.uni";
    if (m.machine.files.FileExists(logPath)) result.log = m.Read(logPath);
    result.displayName = UninstallValue(m, "DisplayName");
    result.uninstallString = UninstallValue(m, "UnInstallString");
    return result;
}

std::string ShortCutRecord(int number, const std::string& name, const std::string& directory) {
    return "[ShortCut" + std::to_string(number) + "]\r\nName=" + name + "\r\nDirectory=" + directory + "\r\n";
}

void ExpectLink(InstallerMachine& m, const std::string& path, const ShellLink& expected) {
    SCOPED_TRACE(path);
    const std::optional<ShellLink> link = m.machine.shell.ReadLink(path);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, expected.target);
    EXPECT_EQ(link->arguments, expected.arguments);
    EXPECT_EQ(link->workingDirectory, expected.workingDirectory);
}

TEST(ShortcutsTest, LinksLandInTheGroupAndAreLoggedInOrder) {
    InstallerMachine m;
    Scene setup;
    setup.shortcuts = {
        {"Quill07", "Quill07.lnk", "C:\\APP\\Q07.EXE", "/nosplash"},
        {"Quill07", "Czytaj.lnk", "C:\\WINDOWS\\NOTEPAD.EXE", "C:\\APP\\README.TXT"},  // a viewer
        {"Quill07", "Pomoc", "WINHELP.EXE", ""},  // a bare program name, a link name without ".lnk"
    };
    const Result r = InstallIconsOn(m, setup);
    ASSERT_FALSE(r.error) << *r.error;
    const std::string group = kPrograms + "\\Quill07";
    ExpectLink(m, group + "\\Quill07.lnk", {"C:\\APP\\Q07.EXE", "/nosplash", "C:\\APP\\"});
    ExpectLink(m, group + "\\Czytaj.lnk", {"C:\\WINDOWS\\NOTEPAD.EXE", "C:\\APP\\README.TXT", "C:\\WINDOWS\\"});
    ExpectLink(m, group + "\\Pomoc", {"WINHELP.EXE", "", ""});
    ExpectLink(m, group + "\\Odinstaluj.lnk", {"C:\\APP\\UNINST.EXE", "C:\\APP\\Setup.uni", "C:\\APP\\"});
    // The counter's section comes after the first record, as the profile functions add it.
    EXPECT_EQ(r.log, ShortCutRecord(1, group + "\\Quill07.lnk", group) + "[ShortCuts]\r\nCount=4\r\n" +
                         ShortCutRecord(2, group + "\\Czytaj.lnk", group) + ShortCutRecord(3, group + "\\Pomoc", group) +
                         ShortCutRecord(4, group + "\\Odinstaluj.lnk", group));
    EXPECT_EQ(r.displayName, "Quill07 Pro");
    EXPECT_EQ(r.uninstallString, "C:\\APP\\UNINST.EXE C:\\APP\\Setup.uni");
}

TEST(ShortcutsTest, GroupFolderFollowsTheProgramsValue) {
    struct Case {
        const char* name;
        std::optional<std::string> programs;
        std::string group;
        std::string linkPath;     // as logged
        std::string groupFolder;  // as logged
        std::string foundAt;      // where the link file is
    };
    const std::vector<Case> cases = {
        {"empty group", kPrograms, "", kPrograms + "\\\\Q.lnk", kPrograms + "\\", kPrograms + "\\Q.lnk"},
        {"no Programs value", std::nullopt, "Quill07", "\\Quill07\\Q.lnk", "\\Quill07", "C:\\Quill07\\Q.lnk"},
        {"empty Programs value", "", "Quill07", "\\Quill07\\Q.lnk", "\\Quill07", "C:\\Quill07\\Q.lnk"},
        {"existing group folder", kPrograms, "Akcesoria", kPrograms + "\\Akcesoria\\Q.lnk", kPrograms + "\\Akcesoria",
         kPrograms + "\\Akcesoria\\Q.lnk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        Scene setup;
        setup.script = "[Application]\r\nTitle=Q\r\n";
        setup.programs = c.programs;
        setup.shortcuts = {{c.group, "Q.lnk", "C:\\APP\\Q.EXE", ""}};
        if (c.group == "Akcesoria") platform::MakePath(m.machine.files, kPrograms + "\\Akcesoria\\");
        const Result r = InstallIconsOn(m, setup);
        ASSERT_FALSE(r.error) << *r.error;
        ExpectLink(m, c.foundAt, {"C:\\APP\\Q.EXE", "", "C:\\APP\\"});
        EXPECT_EQ(r.log, ShortCutRecord(1, c.linkPath, c.groupFolder) + "[ShortCuts]\r\nCount=1\r\n");
        EXPECT_FALSE(r.displayName);
    }
}

TEST(ShortcutsTest, ALinkThatCannotBeSavedIsStillLogged) {
    InstallerMachine m;
    Scene setup;
    setup.script = "[Application]\r\nTitle=Q\r\n";
    setup.programs = "C:\\NOWHERE\\Programs";  // only one folder level is created: the parent is missing
    setup.programsExists = false;
    setup.shortcuts = {{"Quill07", "Q.lnk", "C:\\APP\\Q.EXE", ""}};
    const Result r = InstallIconsOn(m, setup);
    ASSERT_FALSE(r.error) << *r.error;
    ASSERT_EQ(m.machine.shell.Links().size(), 1u);
    EXPECT_FALSE(m.machine.shell.Links()[0].saved);
    EXPECT_FALSE(m.machine.files.DirectoryExists("C:\\NOWHERE"));
    EXPECT_EQ(r.log, ShortCutRecord(1, "C:\\NOWHERE\\Programs\\Quill07\\Q.lnk", "C:\\NOWHERE\\Programs\\Quill07") +
                         "[ShortCuts]\r\nCount=1\r\n");
}

TEST(UninstallEntryTest, UninstallerIsStartedWithTheLogWhateverTheBlanks) {
    struct Case {
        std::string targetDir;
        std::string uninstallString;
        std::string linkArguments;
    };
    const std::vector<Case> cases = {
        {"C:\\APP\\", "C:\\APP\\UNINST.EXE C:\\APP\\Setup.uni", "C:\\APP\\Setup.uni"},
        {"C:\\Program Files\\Quill 07\\",
         "\"C:\\Program Files\\Quill 07\\UNINST.EXE\" \"C:\\Program Files\\Quill 07\\Setup.uni\"",
         "\"C:\\Program Files\\Quill 07\\Setup.uni\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetDir);
        InstallerMachine m;
        Scene setup;
        setup.script = "[Application]\r\nUninstall=UNINST.EXE\r\n";  // no Title: the default one
        setup.targetDir = c.targetDir;
        setup.shortcuts = {{"Grupa 1", "Q.lnk", c.targetDir + "Q.EXE", ""}, {"Grupa 2", "R.lnk", "R.EXE", ""}};
        const Result r = InstallIconsOn(m, setup);
        ASSERT_FALSE(r.error) << *r.error;
        // In the group of the first shortcut, the last record of the log.
        const std::string link = kPrograms + "\\Grupa 1\\Odinstaluj.lnk";
        ExpectLink(m, link, {c.targetDir + "UNINST.EXE", c.linkArguments, c.targetDir});
        const profile::TIniFile log(m.machine.files, c.targetDir + "Setup.uni");
        EXPECT_EQ(log.ReadNumber("ShortCuts", "Count", 0), 3);
        EXPECT_EQ(log.ReadText("ShortCut3", "Name", ""), link);
        EXPECT_EQ(log.ReadText("ShortCut3", "Directory", ""), kPrograms + "\\Grupa 1");
        EXPECT_EQ(r.displayName, "Quill07");
        EXPECT_EQ(r.uninstallString, c.uninstallString);
    }
}

TEST(UninstallEntryTest, NoUninstallerNoShortcutNoEntry) {
    for (const char* script : {"[Application]\r\nTitle=Q\r\n", "[Application]\r\nTitle=Q\r\nUninstall=\r\n"}) {
        InstallerMachine m;
        Scene setup;
        setup.script = script;
        setup.shortcuts = {{"Quill07", "Q.lnk", "C:\\APP\\Q.EXE", ""}};
        const Result r = InstallIconsOn(m, setup);
        ASSERT_FALSE(r.error) << *r.error;
        EXPECT_EQ(m.machine.shell.Links().size(), 1u);
        EXPECT_FALSE(m.machine.files.FileExists(kPrograms + "\\Quill07\\Odinstaluj.lnk"));
        EXPECT_EQ(r.log.find("Odinstaluj"), std::string::npos);
        EXPECT_FALSE(r.displayName);
        EXPECT_FALSE(r.uninstallString);
    }
}

TEST(UninstallEntryTest, ErrorsStopTheStepWhereTheyHappen) {
    struct Case {
        const char* name;
        std::function<void(InstallerMachine&)> arrange;
        std::string error;
        bool groupFolder;  // the link object is made before the folder
        bool uninstallLink;
        std::optional<std::string> displayName;
    };
    const std::vector<Case> cases = {
        {"no shell-link object",
         [](InstallerMachine& m) { m.machine.shell.SetLinkObjectMissing("Class not registered"); }, "Class not registered",
         false, false, std::nullopt},
        {"uninstall key denied",
         [](InstallerMachine& m) { m.machine.registry.Protect(RootKey::LocalMachine, kUninstall, KeyProtection::Denied); },
         "Failed to create key Quill07 HTML Editor", true, true, std::nullopt},
        {"uninstall key read-only",
         [](InstallerMachine& m) {
             m.machine.registry.Protect(RootKey::LocalMachine, kUninstall, KeyProtection::ReadOnly);
         },
         "Failed to create key Quill07 HTML Editor", true, true, std::nullopt},
        {"values refused",
         [](InstallerMachine& m) {
             m.machine.registry.Protect(RootKey::LocalMachine, kUninstall + "\\" + kUninstallSubKey,
                                        KeyProtection::RefusesValues);
         },
         "Failed to set data for 'DisplayName'", true, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        c.arrange(m);
        Scene setup;
        setup.shortcuts = {{"Quill07", "Q.lnk", "C:\\APP\\Q.EXE", ""}};
        const Result r = InstallIconsOn(m, setup);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(m.machine.files.DirectoryExists(kPrograms + "\\Quill07"), c.groupFolder);
        EXPECT_EQ(m.machine.files.FileExists(kPrograms + "\\Quill07\\Odinstaluj.lnk"), c.uninstallLink);
        EXPECT_EQ(r.displayName, c.displayName);
        EXPECT_FALSE(r.uninstallString);
    }
}

TEST(UninstallEntryTest, ASecondInstallationOverwritesBothValuesOnly) {
    InstallerMachine m;
    m.machine.registry.SetValue(RootKey::LocalMachine, kUninstall + "\\quill07 html editor", "DisplayIcon",
                                platform::kRegSz, std::string("C:\\OLD\\Q.ICO\0", 13));
    Scene first;
    first.targetDir = "C:\\OLD\\";
    first.shortcuts = {{"Quill07", "Q.lnk", "C:\\OLD\\Q.EXE", ""}};
    InstallIconsOn(m, first);
    Scene second;
    second.script = "[Application]\r\nTitle=Quill07 Lite\r\nUninstall=BIN\\UN.EXE\r\n";
    second.targetDir = "C:\\NEW\\";
    second.shortcuts = {{"Quill07", "Q.lnk", "C:\\NEW\\Q.EXE", ""}};
    const Result r = InstallIconsOn(m, second);
    ASSERT_FALSE(r.error) << *r.error;
    EXPECT_EQ(r.displayName, "Quill07 Lite");
    EXPECT_EQ(r.uninstallString, "C:\\NEW\\BIN\\UN.EXE C:\\NEW\\Setup.uni");
    EXPECT_EQ(UninstallValue(m, "DisplayIcon"), "C:\\OLD\\Q.ICO");
}

}  // namespace
}  // namespace instalator::system
