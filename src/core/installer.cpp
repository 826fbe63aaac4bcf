#include "core/installer.hpp"

#include "package/temp_dir.hpp"

namespace instalator::core {
namespace {

std::string TempDirOf(platform::Platform& machine) {
    return package::TempDirFromEnvironment(
        [&machine](std::string_view name) { return machine.system.EnvironmentVariable(name); },
        machine.files.Separator());
}

}  // namespace

Installer::Installer(platform::Platform& machine) : Machine(machine), App(machine.ui), TempDir(TempDirOf(machine)) {}

}  // namespace instalator::core
