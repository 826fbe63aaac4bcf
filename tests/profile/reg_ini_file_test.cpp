#include "profile/reg_ini_file.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/text.hpp"
#include "platform/memory_registry.hpp"

namespace instalator::profile {
namespace {

using namespace common;

using platform::KeyProtection;
using platform::MemoryRegistry;
using platform::RootKey;

const std::string kExplorer = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// What the uninstall registration does: an object on no key, switched to the machine
// root, the Uninstall key opened with creation allowed, two values in one subkey.
void RegisterUninstaller(MemoryRegistry& registry, const std::string& title) {
    TRegIniFile reg(registry, "");
    reg.SetRoot(RootKey::LocalMachine);
    reg.OpenKey(kUninstall, true);
    reg.WriteText("Quill07 HTML Editor", "DisplayName", title);
    reg.WriteText("Quill07 HTML Editor", "UnInstallString", "C:\\APP\\UNINST.EXE C:\\APP\\Setup.uni");
}

TEST(RegIniFile, UninstallEntryIsStoredAsTextWithItsNul) {
    MemoryRegistry registry;
    registry.SetValue(RootKey::LocalMachine, kUninstall + "\\quill07 html editor", "Other", platform::kRegSz,
                      std::string("kept\0", 5));
    RegisterUninstaller(registry, "Old");
    RegisterUninstaller(registry, Cp1250(u8"Pióro"));
    EXPECT_EQ(registry.Dump(),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quill07 html editor\n"
              "  Other = REG_SZ \"kept\\x00\"\n"
              "  DisplayName = REG_SZ \"Pi\\xF3ro\\x00\"\n"
              "  UnInstallString = REG_SZ \"C:\\APP\\UNINST.EXE C:\\APP\\Setup.uni\\x00\"\n");
}

TEST(RegIniFile, ReadsTheProgramsFolder) {
    MemoryRegistry registry;
    const std::string folders = kExplorer + "\\Shell Folders";
    registry.SetValue(RootKey::CurrentUser, folders, "Programs", platform::kRegSz,
                      std::string("C:\\Menu\\Programs\0junk", 21));
    registry.SetValue(RootKey::CurrentUser, folders, "Expand", platform::kRegExpandSz, std::string("%x%\0", 4));
    registry.SetValue(RootKey::CurrentUser, folders, "Number", platform::kRegDword, std::string("\1\0\0\0", 4));
    registry.SetValue(RootKey::CurrentUser, folders, "Unended", platform::kRegSz, "no nul");
    registry.SetValue(RootKey::CurrentUser, kExplorer + "\\Locked", "Programs", platform::kRegSz, "R\0");
    registry.Protect(RootKey::CurrentUser, kExplorer + "\\Locked", KeyProtection::ReadOnly);
    registry.SetValue(RootKey::CurrentUser, kExplorer + "\\Hidden", "Programs", platform::kRegSz, "H\0");
    registry.Protect(RootKey::CurrentUser, kExplorer + "\\Hidden", KeyProtection::Denied);
    const TRegIniFile reg(registry, kExplorer);
    const struct {
        std::string section, name, expected;
    } cases[] = {
        {"Shell Folders", "Programs", "C:\\Menu\\Programs"},  // up to the first NUL
        {"SHELL FOLDERS", "programs", "C:\\Menu\\Programs"},
        {"Shell Folders", "Expand", "%x%"},
        {"Shell Folders", "Unended", "no nul"},
        {"Shell Folders", "Number", "<default>"},  // not a string
        {"Shell Folders", "Missing", "<default>"},
        {"Missing", "Programs", "<default>"},
        {"Locked", "Programs", "R"},  // opened for reading when full access is refused
        {"Hidden", "Programs", "<default>"},
        {"\\" + kExplorer + "\\Shell Folders", "Programs", "C:\\Menu\\Programs"},
        {"\\Shell Folders", "Programs", "<default>"},  // from the root, not the open key
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reg.ReadText(c.section, c.name, "<default>"), c.expected) << c.section << "/" << c.name;
    }
    EXPECT_EQ(reg.Root(), RootKey::CurrentUser);
}

TEST(RegIniFile, CreatingTheObjectCreatesItsKey) {
    MemoryRegistry registry;
    const TRegIniFile reg(registry, "Software\\Vendor");
    EXPECT_EQ(reg.ReadText("", "x", "d"), "d");
    EXPECT_EQ(registry.Dump(), "HKEY_CURRENT_USER\\Software\nHKEY_CURRENT_USER\\Software\\Vendor\n");
}

TEST(RegIniFile, SectionPathsFromTheOpenKeyOrTheRoot) {
    MemoryRegistry registry;
    TRegIniFile reg(registry, "Software\\A");
    reg.WriteText("Sub\\Deeper", "n", "1");
    reg.WriteText("\\Software\\B", "n", "2");
    reg.WriteText("", "n", "3");
    reg.WriteText("sub\\DEEPER", "N", "4");  // the same key and value, whatever the case
    EXPECT_EQ(reg.ReadText("\\software\\a\\sub\\deeper", "n", ""), "4");
    EXPECT_TRUE(reg.OpenKey("Sub", false));
    EXPECT_EQ(reg.ReadText("Deeper", "n", ""), "4");
    EXPECT_EQ(registry.Dump(),
              "HKEY_CURRENT_USER\\Software\n"
              "HKEY_CURRENT_USER\\Software\\A\n"
              "  n = REG_SZ \"3\\x00\"\n"
              "HKEY_CURRENT_USER\\Software\\A\\Sub\n"
              "HKEY_CURRENT_USER\\Software\\A\\Sub\\Deeper\n"
              "  n = REG_SZ \"4\\x00\"\n"
              "HKEY_CURRENT_USER\\Software\\B\n"
              "  n = REG_SZ \"2\\x00\"\n");
}

// After a failed OpenKey nothing lands in the key that was open before it.
TEST(RegIniFile, AFailedOpenLeavesNoKeyOpen) {
    MemoryRegistry registry;
    TRegIniFile reg(registry, "Software");
    reg.WriteText("Section", "n", "1");
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.ReadText("Section", "n", "d"), "d");
    EXPECT_THROW(reg.WriteText("Section", "n", "2"), RegistryError);
    EXPECT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.ReadText("Section", "n", "d"), "1");
    EXPECT_EQ(registry.Dump(), "HKEY_CURRENT_USER\\Software\nHKEY_CURRENT_USER\\Software\\Section\n"
                               "  n = REG_SZ \"1\\x00\"\n");
}

TEST(RegIniFile, FailuresRaiseTheirMessagesAndStoreNothing) {
    const std::string entry = kUninstall + "\\Quill07 HTML Editor";
    const struct {
        const char* name;
        std::string protectedKey;  // below HKEY_LOCAL_MACHINE
        KeyProtection protection;
        std::string section, message;
    } cases[] = {
        {"no rights to the machine root", "", KeyProtection::ReadOnly, "Quill07 HTML Editor",
         "Failed to create key Quill07 HTML Editor"},
        {"subkey read-only", entry, KeyProtection::ReadOnly, "Quill07 HTML Editor",
         "Failed to create key Quill07 HTML Editor"},
        {"subkey denied", entry, KeyProtection::Denied, "Quill07 HTML Editor",
         "Failed to create key Quill07 HTML Editor"},
        {"empty name in the path", kUninstall, KeyProtection::None, "a\\\\b", "Failed to create key a\\\\b"},
        {"values refused", entry, KeyProtection::RefusesValues, "Quill07 HTML Editor",
         "Failed to set data for 'DisplayName'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        registry.Protect(RootKey::LocalMachine, c.protectedKey, c.protection);
        const std::string before = registry.Dump();
        TRegIniFile reg(registry, "");
        reg.SetRoot(RootKey::LocalMachine);
        reg.OpenKey(kUninstall, true);
        try {
            reg.WriteText(c.section, "DisplayName", "Quill07");
            ADD_FAILURE() << "no error";
        } catch (const RegistryError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(registry.Dump(), before);
    }
}

}  // namespace
}  // namespace instalator::profile
