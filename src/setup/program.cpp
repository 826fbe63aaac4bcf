// Setup.exe is the installer: the Win32 backend's process entry runs it.

#include "core/installer.hpp"
#include "platform/program.hpp"
#include "setup/run_installer.hpp"

namespace instalator::platform {

const std::string_view kProgramTitle = core::kApplicationTitle;

int ProgramMain(Platform& machine) { return setup::RunInstaller(machine); }

}  // namespace instalator::platform
