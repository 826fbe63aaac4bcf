// Removing an installation on the headless machine: a product installed through the
// installer's dialogs is removed and the whole machine compared with its state before
// the installation; then the cases where something must stay: files that were there
// before, another product's uninstall entry, files in use, and logs that are damaged
// or point where no installation writes.

#include <gtest/gtest.h>

#include "platform/memory_registry.hpp"
#include "profile/ini_file.hpp"
#include "support/installed_product.hpp"
#include "uninstall/remover.hpp"

namespace instalator::uninstall {
namespace {

using testing::InstallerMachine;
using testing::MachineState;
using Names = std::vector<std::string>;

const std::string kLog = "C:\\APP\\Setup.uni";
const std::string kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quill07 HTML Editor";

Report RunUninstall(InstallerMachine& m, const std::string& logPath = kLog) {
    m.machine.system.SetExecutablePath("C:\\APP\\Uninst.exe");
    platform::Platform machine = m.machine.GetPlatform();
    const UninstallLog log = ReadUninstallLog(m.machine.files, logPath, MachineProtectedDirectories(machine));
    return Uninstall(machine, log, logPath, [](std::size_t, std::size_t, const std::string&) {});
}

TEST(RemoverTest, LeavesTheMachineAsItWasBeforeTheInstallation) {
    struct Case {
        const char* name;
        bool sharedBefore;  // Shared.dll was in the system directory before
        bool twice;         // a second product installed into the same directory
        Names kept;
    };
    const std::string second = "[Application]\r\nTitle=Drugi\r\nTargetDir=C:\\APP\r\nGroup=Inna\r\n"
                               "Uninstall=Uninst.exe\r\n[Resources]\r\nCount=1\r\nItem1=Setup1.res\r\n"
                               "[Setup1.res]\r\nCount=2\r\nItem1=Tool.exe\r\nItem1Shell=1\r\nItem1Link=Tool.lnk\r\n"
                               "Item2=Uninst.exe\r\n";
    const Case cases[] = {
        {"new files only", false, false, {}},
        {"a library that existed before", true, false, {"C:\\WINDOWS\\SYSTEM\\Shared.dll"}},
        {"two products in one directory", false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareMachine(m);
        if (c.sharedBefore) m.Write("C:\\WINDOWS\\SYSTEM\\Shared.dll", "old");
        const std::string before = MachineState(m);
        testing::InstallProduct(m);
        if (c.twice) testing::InstallProduct(m, second, {{"Tool.exe", "tool"}, {"Uninst.exe", "uninstaller"}});
        ASSERT_TRUE(m.machine.files.FileExists("C:\\MENU\\Kalamarz\\Pioro.lnk"));
        const Report report = RunUninstall(m);
        EXPECT_EQ(report.kept, c.kept);
        // The installer replaced the file that was there; it stays as it is now.
        if (c.sharedBefore) m.Write("C:\\WINDOWS\\SYSTEM\\Shared.dll", "old");
        EXPECT_TRUE(report.entryRemoved);
        EXPECT_TRUE(report.selfQueued);
        EXPECT_FALSE(report.LeftBehind());
        // The uninstaller and its directory wait for the next start, nothing else.
        testing::Restart(m);
        EXPECT_EQ(MachineState(m), before);
    }
}

TEST(RemoverTest, UnregistersLibrariesWhileTheyAreStillThere) {
    InstallerMachine m;
    testing::PrepareMachine(m);
    testing::InstallProduct(m);
    // A library that crashes in its unregistration is still removed, and the rest too.
    m.machine.shell.ScriptRegistrationError("C:\\APP\\Parts.dll", "crash");
    RunUninstall(m);
    const auto& asked = m.machine.shell.Unregistrations();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].path, "C:\\APP\\Parts.dll");
    EXPECT_EQ(asked[1].path, "C:\\WINDOWS\\SYSTEM\\Shared.dll");
    EXPECT_TRUE(asked[0].present && asked[1].present);
    EXPECT_FALSE(m.machine.files.DirectoryExists("C:\\APP\\DOC"));
}

TEST(RemoverTest, AnotherProductsUninstallEntryStays) {
    InstallerMachine m;
    testing::PrepareMachine(m);
    testing::InstallProduct(m);
    const std::string other = "\"C:\\Program Files\\Inny\\Uninst.exe\" \"C:\\Program Files\\Inny\\Setup.uni\"";
    m.machine.registry.SetValue(platform::RootKey::LocalMachine, kEntry, "UnInstallString", platform::kRegSz,
                                other + '\0');
    const Report report = RunUninstall(m);
    EXPECT_FALSE(report.entryRemoved);
    EXPECT_NE(m.machine.registry.Dump().find(other), std::string::npos);
    EXPECT_FALSE(m.machine.files.FileExists("C:\\APP\\App.exe"));
}

TEST(RemoverTest, AFileInUseIsQueuedForTheNextStart) {
    InstallerMachine m;
    testing::PrepareMachine(m);
    testing::InstallProduct(m);
    m.machine.files.Lock("C:\\APP\\DOC\\Help.txt");
    const Report report = RunUninstall(m);
    EXPECT_EQ(report.atRestart, (Names{"C:\\APP\\DOC\\Help.txt", "C:\\APP\\DOC", "C:\\APP"}));
    EXPECT_TRUE(report.LeftBehind());
    EXPECT_EQ(m.Read("C:\\WINDOWS\\WinInit.ini"), "[Rename]\r\nNUL=C:\\APP\\DOC\\Help.txt\r\n");
    Names queued;
    for (const auto& rename : m.machine.shell.Renames()) queued.push_back(rename.destination + "<" + rename.source);
    EXPECT_EQ(queued, (Names{"C:\\APP\\DOC\\Help.txt<", "C:\\APP\\Uninst.exe<", "C:\\APP\\DOC<", "C:\\APP<"}));
}

TEST(RemoverTest, ADamagedOrHostileLogRemovesNothing) {
    const std::string head = "[Application]\r\nTitle=Pioro\r\nCount=1\r\n[Item1]\r\n";
    const auto item = [&](const std::string& name, const std::string& exists = "0") {
        return head + "Name=" + name + "\r\nExists=" + exists + "\r\nRegister=0\r\n";
    };
    const std::string link = item("C:\\APP\\App.exe") + "[ShortCuts]\r\nCount=1\r\n[ShortCut1]\r\n";
    const std::string cases[] = {
        "",
        "[Application]\r\nTitle=Pioro\r\n",
        "[Application]\r\nCount=2\r\n[Item1]\r\nName=C:\\APP\\App.exe\r\nExists=0\r\nRegister=0\r\n",
        "[Application]\r\nCount=-1\r\n",
        item("C:\\APP\\App.exe", "2"),
        head + "Name=C:\\APP\\App.exe\r\nExists=0\r\n",
        item("APP\\App.exe"),
        item("C:APP\\App.exe"),
        item("C:\\APP\\..\\WINDOWS\\win.ini"),
        item("C:\\APP\\.\\App.exe"),
        item("C:/APP/App.exe"),
        item("\\\\server\\share\\App.exe"),
        item("C:\\"),
        item("C:\\APP\\"),
        item("C:\\WINDOWS"),
        item("C:\\windows\\system"),
        item("C:\\APP\\*.exe"),
        item("C:\\APP\\" + std::string(1100, 'a')),
        link + "Name=C:\\WINDOWS\\win.ini\r\nDirectory=C:\\MENU\\Kalamarz\r\n",
        link + "Name=C:\\Pioro.lnk\r\nDirectory=C:\\\r\n",
        link + "Name=C:\\MENU\\Kalamarz\\Pioro.lnk\r\n",
    };
    for (const std::string& log : cases) {
        SCOPED_TRACE(log);
        InstallerMachine m;
        m.Write("C:\\APP\\App.exe", "program");
        m.Write("C:\\WINDOWS\\win.ini", "ini");
        if (!log.empty()) m.Write(kLog, log);
        const std::string before = MachineState(m);
        EXPECT_THROW(RunUninstall(m), LogError);
        EXPECT_EQ(MachineState(m), before);
    }
}

TEST(PathsTest, InsideAndProtected) {
    EXPECT_TRUE(IsInside("C:\\APP", "C:\\"));
    EXPECT_TRUE(IsInside("c:\\app\\doc", "C:\\APP\\"));
    EXPECT_FALSE(IsInside("C:\\APPS", "C:\\APP"));
    EXPECT_FALSE(IsInside("C:\\APP", "C:\\APP"));
    const ProtectedDirectories kept("D:\\OS\\WIN", "D:\\OS\\WIN\\SYSTEM32");
    for (const char* path : {"C:\\", "D:\\os", "d:\\os\\win\\", "D:\\OS\\WIN\\System32"}) EXPECT_TRUE(kept.Contains(path));
    for (const char* path : {"D:\\OS\\WIN\\SYSTEM", "D:\\OS2", "C:\\APP"}) EXPECT_FALSE(kept.Contains(path));
}

}  // namespace
}  // namespace instalator::uninstall
