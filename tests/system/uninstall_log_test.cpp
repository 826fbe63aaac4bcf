// The uninstall log Setup.uni: its exact bytes after a run, one record per path
// across runs, shortcut records, and the counters read back from hand-edited logs.

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

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

// One file's record as the profile store writes it key by key: what the kept log
// must write byte for byte.
void RecordKeyByKey(core::Installer& run, const std::string& dest, bool reg, bool exists) {
    profile::TIniFile log(run.Machine.files, kLog, profile::TIniFile::Access::Batch);
    log.WriteText("Application", "Title", run.State.Title);
    const std::int32_t number = log.ReadNumber("Application", "Count", 0) + 1;
    if (log.ReadNumber(dest, "Item", 0) == 0) {
        const std::string section = "Item" + std::to_string(number);
        log.WriteText(section, "Name", dest);
        log.WriteFlag(section, "Exists", exists);
        log.WriteFlag(section, "Register", reg);
        log.WriteNumber("Application", "Count", number);
        log.WriteNumber(dest, "Item", number);
    }
    log.Commit();
}

TEST(UninstallLogTest, AKeptLogWritesWhatTheStoreWritesKeyByKey) {
    const std::pair<const char*, std::optional<std::string>> starts[] = {
        {"no log yet", std::nullopt},
        {"empty", ""},
        {"no line break at the end", "[Application]\r\nTitle=Stary\r\nCount=1"},
        {"a record number taken by hand", "[Application]\r\nCount=1\r\n[item2]\r\nName=X\r\nKeep=1\r\n;c\r\n[Other]\r\n"},
        {"a path recorded in other letters", "[ c:\\app\\b.txt ]\r\nItem=7\r\n[Application]\r\nCount=9\r\n"},
        {"a count that is no number", "[ShortCuts]\r\nCount=1\r\n[Application]\r\nCount=dwa\r\n"},
        {"line feeds alone", "[Application]\nTitle=Nowy\nCount=0x2\n"},
    };
    const std::tuple<std::string, bool, bool> files[] = {
        {"C:\\APP\\A.txt", false, false}, {"C:\\APP\\B.txt", true, true},
        {"C:\\APP\\a.TXT", false, true},  {"C:\\APP\\Item2", true, false}};
    for (const auto& [name, start] : starts) {
        InstallerMachine kept;
        InstallerMachine keyByKey;
        for (InstallerMachine* m : {&kept, &keyByKey}) {
            m->PrepareInstaller("[Application]\r\nTitle=Nowy\r\n");
            if (start) m->Write(kLog, *start);
        }
        RunEngine(kept, [&](core::Installer& run) {
            UninstallLog log(run);
            for (const auto& [dest, reg, exists] : files) log.AddFile(dest, reg, exists);
        });
        RunEngine(keyByKey, [&](core::Installer& run) {
            for (const auto& [dest, reg, exists] : files) RecordKeyByKey(run, dest, reg, exists);
        });
        EXPECT_EQ(kept.Read(kLog), keyByKey.Read(kLog)) << name;
    }
}

// A hand-edited count at the largest 32-bit number goes on as 32-bit arithmetic wraps
// it, the same bytes as ever, without an undefined overflow.
TEST(UninstallLogTest, CountsAtTheirLargestWrapAround) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\nTitle=T\r\n");
    m.Write(kLog, "[Application]\r\nTitle=T\r\nCount=2147483647\r\n[ShortCuts]\r\nCount=0x7FFFFFFF\r\n");
    RunEngine(m, [](core::Installer& run) {
        LogInstalledFile(run, "C:\\APP\\A.EXE", false);
        LogShortCut(run, "C:\\P\\A.lnk", "C:\\P");
    });
    EXPECT_EQ(m.Read(kLog),
              "[Application]\r\nTitle=T\r\nCount=-2147483648\r\n[ShortCuts]\r\nCount=-2147483648\r\n"
              "[Item-2147483648]\r\nName=C:\\APP\\A.EXE\r\nExists=0\r\nRegister=0\r\n"
              "[C:\\APP\\A.EXE]\r\nItem=-2147483648\r\n"
              "[ShortCut-2147483648]\r\nName=C:\\P\\A.lnk\r\nDirectory=C:\\P\r\n");
}

TEST(UninstallLogTest, AFailedWriteIsTheProfileErrorAndTheNextRecordStartsFromTheDisk) {
    InstallerMachine m;
    m.PrepareInstaller("");
    m.Write(kLog, "");
    const auto outcome = m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        setup::CreateWindows(run);
        run.State.TargetDir = "C:\\APP\\";
        UninstallLog log(run);
        log.AddFile("C:\\APP\\A.EXE", false, false);
        m.machine.files.Lock(kLog);
        EXPECT_THROW(log.AddFile("C:\\APP\\B.EXE", false, false), profile::ProfileError);
        m.machine.files.Unlock(kLog);
        m.Write(kLog, "[Application]\r\nCount=5\r\n");  // changed meanwhile: the log is read again
        log.AddFile("C:\\APP\\C.EXE", false, false);
        return 0;
    });
    EXPECT_EQ(outcome.end, platform::RunOutcome::End::Returned);
    EXPECT_EQ(m.Read(kLog),
              "[Application]\r\nCount=6\r\nTitle=Quill07\r\n[Item6]\r\nName=C:\\APP\\C.EXE\r\nExists=0\r\nRegister=0\r\n"
              "[C:\\APP\\C.EXE]\r\nItem=6\r\n");
}

}  // namespace
}  // namespace instalator::system
