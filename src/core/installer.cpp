#include "core/installer.hpp"

#include "package/temp_dir.hpp"
#include "profile/reg_ini_file.hpp"

namespace instalator::core {
namespace {

std::string TempDirOf(platform::Platform& machine) {
    return package::TempDirFromEnvironment(
        [&machine](std::string_view name) { return machine.system.EnvironmentVariable(name); },
        machine.files.Separator());
}

}  // namespace

std::string ProgramsFolder(platform::Registry& registry) {
    const profile::TRegIniFile explorer(registry, "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer");
    return explorer.ReadText("Shell Folders", "Programs", "");
}

Installer::Installer(platform::Platform& machine)
    : Machine(machine), App(machine.ui), TempDir(TempDirOf(machine)), Report(App) {}

void Installer::EndWith(ExitCode code, std::u8string_view label, std::string_view detail) {
    if (!label.empty() || !detail.empty()) Report.Note(label, detail);
    Report.SetOutcome(code);
    EndInstaller();
}

void Installer::EndWithMessage(ExitCode code, const std::string& text) {
    Report.SetOutcome(code);
    if (!Report.Silent()) App.ShowMessage(text);
    EndWith(code, {}, text);
}

}  // namespace instalator::core
