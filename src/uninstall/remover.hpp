#pragma once
// Undoing an installation from its checked uninstall log, through the platform
// layer, in this order:
//   1. every file the installation created (Exists=0), a library first unregistered
//      through its DllUnregisterServer when the log says it was registered or it is a
//      .dll or .ocx; a file that existed before (Exists=1) is kept;
//   2. every shortcut, then each group folder left empty;
//   3. the uninstall entry, only when its UnInstallString names this log;
//   4. the log itself, then the uninstaller's own file, which cannot be deleted
//      while it runs: it is queued for deletion at the next start;
//   5. the directories that held removed files (and those between them and the log's
//      directory), deepest first, each only when empty; one that holds only what is
//      queued for the next start is queued after it. A protected directory is never
//      removed.
// A file that cannot be deleted (in use) is queued for deletion at the next start,
// both in the system's queue and as a "NUL=" line in [Rename] of WinInit.ini.
// The log records no sizes or checksums, so a file changed since its installation
// cannot be told from one that was not: it is removed like every file the
// installation created. Only a record that now names a directory is left alone.

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "uninstall/log_file.hpp"

namespace instalator::uninstall {

struct Report {
    std::vector<std::string> removed;    // files, links and directories deleted
    std::vector<std::string> kept;       // files that were there before the installation
    std::vector<std::string> atRestart;  // in use: queued for deletion at the next start
    std::vector<std::string> failed;     // could be neither deleted nor queued
    bool entryRemoved = false;           // the uninstall entry pointed here and is gone
    bool selfQueued = false;             // the uninstaller's own file is queued

    // Something the installation wrote is still there (the uninstaller's own file,
    // queued the usual way, does not count).
    bool LeftBehind() const { return !atRestart.empty() || !failed.empty(); }
};

// Called before each step with how many steps are done, how many there are and the
// path the step is about.
using Progress = std::function<void(std::size_t done, std::size_t total, const std::string& path)>;

// Undoes the installation that wrote log at logPath on machine.
Report Uninstall(platform::Platform& machine, const UninstallLog& log, const std::string& logPath,
                 const Progress& progress);

// The protected directories of machine (its Windows and system directories).
ProtectedDirectories MachineProtectedDirectories(platform::Platform& machine);

}  // namespace instalator::uninstall
