#include "system/uninstall_entry.hpp"

#include "profile/reg_ini_file.hpp"
#include "common/strings.hpp"
#include "core/main_form.hpp"
#include "core/script.hpp"
#include "dialogs/select_dir.hpp"
#include "system/shortcuts.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::system {
namespace {

using common::CommandWord;


}  // namespace

void RegisterUninstaller(core::Installer& run) {
    const std::string uninstall = core::ScriptUninstall(*run.State.ScriptIni);
    if (uninstall.empty()) return;
    const std::string uninstaller = run.State.TargetDir + uninstall;
    const std::string logPath = UninstallLogPath(run);
    CreateShortCut(run, run.State.ShortCutList[0].Group, "Odinstaluj.lnk", uninstaller, CommandWord(logPath));

    profile::TRegIniFile registry(run.Machine.registry, "");
    registry.SetRoot(platform::RootKey::LocalMachine);
    // When the key cannot be opened, the write below reports the subkey it could not create.
    registry.OpenKey(kUninstallKey, true);
    const std::string command = CommandWord(uninstaller) + " " + CommandWord(logPath);
    registry.WriteText(kUninstallSubKey, "DisplayName", run.State.Title);
    registry.WriteText(kUninstallSubKey, "UnInstallString", command);
    const std::string key = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\" + kUninstallSubKey + ": ";
    run.Report.Note(u8"Rejestr ", key + "DisplayName = " + run.State.Title);
    run.Report.Note(u8"Rejestr ", key + "UnInstallString = " + command);
}

}  // namespace instalator::system
