#include "system/uninstall_log.hpp"

#include "profile/ini_file.hpp"
#include "core/main_form.hpp"
#include "core/script.hpp"
#include "dialogs/select_dir.hpp"

namespace instalator::system {
namespace {

constexpr std::string_view kApplication = "Application";
constexpr std::string_view kShortCuts = "ShortCuts";

}  // namespace

std::string UninstallLogPath(core::Installer& run) {
    return run.State.TargetDir + "Setup.uni";
}

// The record of one file goes to the disk in one write, before the file is unpacked:
// a run that ends on the way leaves the record of every file it may have touched, and
// never a part of a record.
void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg) {
    LogInstalledFile(run, destPath, reg, run.Machine.files.FileExists(destPath));
}

void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg, bool exists) {
    profile::TIniFile log(run.Machine.files, UninstallLogPath(run), profile::TIniFile::Access::Batch);
    log.WriteText(kApplication, "Title", run.State.Title);
    const std::int32_t number = log.ReadNumber(kApplication, "Count", 0) + 1;
    if (log.ReadNumber(destPath, "Item", 0) == 0) {
        const std::string section = core::ItemKey(number);
        log.WriteText(section, "Name", destPath);
        log.WriteFlag(section, "Exists", exists);
        log.WriteFlag(section, "Register", reg);
        log.WriteNumber(kApplication, "Count", number);
        log.WriteNumber(destPath, "Item", number);
    }
    log.Commit();
}

void LogShortCut(core::Installer& run, const std::string& linkPath, const std::string& groupFolder) {
    profile::TIniFile log(run.Machine.files, UninstallLogPath(run), profile::TIniFile::Access::Batch);
    const std::int32_t number = log.ReadNumber(kShortCuts, "Count", 0) + 1;
    const std::string section = "ShortCut" + std::to_string(number);
    log.WriteText(section, "Name", linkPath);
    log.WriteText(section, "Directory", groupFolder);
    log.WriteNumber(kShortCuts, "Count", number);
    log.Commit();
}

}  // namespace instalator::system
