#include "system/install_reg_append.hpp"

#include "core/script.hpp"

namespace instalator::system {

void AppendInstallReg(core::Installer& run, const std::string& libraryPath) {
    profile::TIniFile& script = *run.State.ScriptIni;
    const std::int32_t number = core::InstallRegCount(script) + 1;
    script.WriteText("InstallReg", core::ItemKey(number), libraryPath);
    script.WriteNumber("InstallReg", "Count", number);
}

}  // namespace instalator::system
