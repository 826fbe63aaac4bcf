// The uninstall log Setup.uni: its exact bytes after a run, one record per path
// across runs, shortcut records, and the counters read back from hand-edited logs.

#include <gtest/gtest.h>

#include "profile/ini_file.hpp"
#include "core/main_form.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/run_installer.hpp"
#include "support/engine_run.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::system {
namespace {

using testing::InstallerMachine;
using testing::RunEngine;

constexpr const char* kLog = "C:\\APP\\Setup.uni";

TEST(UninstallLogTest, RecordsFilesOnceAndShortcutsEveryTimeByteForByte) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\nTitle=Quill07 1.0\r\n");
    m.Write("C:\\WINDOWS\\SYSTEM\\APPLIB.DLL", "old");
    m.Write("C:\\APP\\keep.txt", "");
    RunEngine(m, [](core::Installer& run) {
        EXPECT_EQ(UninstallLogPath(run), kLog);
        LogInstalledFile(run, "C:\\APP\\APP.EXE", false);
        LogInstalledFile(run, "C:\\WINDOWS\\SYSTEM\\APPLIB.DLL", true);
        LogInstalledFile(run, "c:\\app\\app.exe", true);  // the same path in other letters
        LogShortCut(run, "C:\\P\\Quill07\\App.lnk", "C:\\P\\Quill07");
        LogShortCut(run, "C:\\P\\Quill07\\App.lnk", "C:\\P\\Quill07");
    });
    EXPECT_EQ(m.Read(kLog),
              "[Application]\r\nTitle=Quill07 1.0\r\nCount=2\r\n"
              "[Item1]\r\nName=C:\\APP\\APP.EXE\r\nExists=0\r\nRegister=0\r\n"
              "[C:\\APP\\APP.EXE]\r\nItem=1\r\n"
              "[Item2]\r\nName=C:\\WINDOWS\\SYSTEM\\APPLIB.DLL\r\nExists=1\r\nRegister=1\r\n"
              "[C:\\WINDOWS\\SYSTEM\\APPLIB.DLL]\r\nItem=2\r\n"
              "[ShortCut1]\r\nName=C:\\P\\Quill07\\App.lnk\r\nDirectory=C:\\P\\Quill07\r\n"
              "[ShortCuts]\r\nCount=2\r\n"
              "[ShortCut2]\r\nName=C:\\P\\Quill07\\App.lnk\r\nDirectory=C:\\P\\Quill07\r\n");
}

TEST(UninstallLogTest, ALaterRunContinuesTheCountersAndKeepsFirstRecords) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\nTitle=Nowy\r\n");
    m.Write(kLog, "[Application]\r\nTitle=Stary\r\nCount=0x10\r\n[C:\\APP\\A.EXE]\r\nItem=3\r\n"
                  "[ShortCuts]\r\nCount=4\r\n");
    RunEngine(m, [](core::Installer& run) {
        LogInstalledFile(run, "C:\\APP\\A.EXE", false);
        LogInstalledFile(run, "C:\\APP\\B.EXE", false);
        LogShortCut(run, "C:\\P\\G\\B.lnk", "C:\\P\\G");
    });
    EXPECT_EQ(m.Read(kLog),
              "[Application]\r\nTitle=Nowy\r\nCount=17\r\n[C:\\APP\\A.EXE]\r\nItem=3\r\n"
              "[ShortCuts]\r\nCount=5\r\n"
              "[Item17]\r\nName=C:\\APP\\B.EXE\r\nExists=0\r\nRegister=0\r\n[C:\\APP\\B.EXE]\r\nItem=17\r\n"
              "[ShortCut5]\r\nName=C:\\P\\G\\B.lnk\r\nDirectory=C:\\P\\G\r\n");
}

TEST(UninstallLogTest, AFailedWriteIsTheProfileError) {
    InstallerMachine m;
    m.PrepareInstaller("");
    m.Write(kLog, "");
    m.machine.files.Lock(kLog);
    const auto outcome = m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        setup::CreateWindows(run);
        run.State.TargetDir = "C:\\APP\\";
        EXPECT_THROW(LogInstalledFile(run, "C:\\APP\\A.EXE", false), profile::ProfileError);
        return 0;
    });
    EXPECT_EQ(outcome.end, platform::RunOutcome::End::Returned);
}

}  // namespace
}  // namespace instalator::system
