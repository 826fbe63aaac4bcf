#include "system/install_reg.hpp"

#include "core/script.hpp"

namespace instalator::system {

void ProcessInstallReg(core::Installer& run) {
    const profile::TIniFile& script = *run.State.ScriptIni;
    const std::int32_t count = core::InstallRegCount(script);
    for (std::int32_t item = 1; item <= count; ++item) RegisterLibrary(run, core::InstallRegItem(script, item));
}

// The outcome matters to nobody here: a component that does not register leaves the
// installed files as they are, and the installation goes on.
void RegisterLibrary(core::Installer& run, const std::string& libraryPath) {
    const platform::Registration result = run.Machine.shell.RegisterLibrary(libraryPath);
    const bool done = result.outcome == platform::Registration::Outcome::Registered;
    run.Report.Note(done ? u8"Zarejestrowano " : u8"Nie zarejestrowano ", libraryPath);
}

void AppendInstallReg(core::Installer& run, const std::string& libraryPath) {
    profile::TIniFile& script = *run.State.ScriptIni;
    const std::int32_t number = core::InstallRegCount(script) + 1;
    script.WriteText("InstallReg", core::ItemKey(number), libraryPath);
    script.WriteNumber("InstallReg", "Count", number);
}

}  // namespace instalator::system
