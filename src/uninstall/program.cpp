// Uninst.exe is the uninstaller: the Win32 backend's process entry runs it.

#include "platform/program.hpp"
#include "uninstall/uninstaller.hpp"

namespace instalator::platform {

const std::string_view kProgramTitle = uninstall::kUninstallerTitle;

int ProgramMain(Platform& machine) { return uninstall::RunUninstaller(machine); }

}  // namespace instalator::platform
