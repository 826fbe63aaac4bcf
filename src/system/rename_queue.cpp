#include "system/rename_queue.hpp"

#include "profile/ini_file.hpp"

namespace instalator::system {

std::string WinInitPath(core::Installer& run) {
    std::string path = run.Machine.system.WindowsDirectory();
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + "WinInit.ini";
}

void QueueRename(core::Installer& run, const std::string& destination, const std::string& source) {
    profile::TIniFile winInit(run.Machine.files, WinInitPath(run));
    winInit.WriteText("Rename", destination, source);
    // Refused on systems that only read WinInit.ini; the line above serves them.
    run.Machine.shell.QueueReplaceOnReboot(destination, source);
    run.State.RestartNeeded = true;
}

}  // namespace instalator::system
