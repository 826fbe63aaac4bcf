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
    run.Machine.shell.RegisterLibrary(libraryPath);
}

void AppendInstallReg(core::Installer& run, const std::string& libraryPath) {
    profile::TIniFile& script = *run.State.ScriptIni;
    const std::int32_t number = core::InstallRegCount(script) + 1;
    script.WriteText("InstallReg", core::ItemKey(number), libraryPath);
    script.WriteNumber("InstallReg", "Count", number);
}

}  // namespace instalator::system
