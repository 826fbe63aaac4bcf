#pragma once
// Replacing a file that is in use: the new copy is written under another name and
// Windows is asked to put it in place at its next start.

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// The path of WinInit.ini in the Windows directory.
std::string WinInitPath(core::Installer& run);

// Queues "replace destination by source at the next start" both ways Windows knows:
// the line destination=source in [Rename] of WinInit.ini (a line for the same
// destination gets the new source; other lines stay), and the system's own
// replace-on-reboot queue (the only one NT-family systems read). Then sets
// RestartNeeded. A failed write of WinInit.ini throws profile::ProfileError before
// anything else is done.
void QueueRename(core::Installer& run, const std::string& destination, const std::string& source);

}  // namespace instalator::system
