#pragma once
// The uninstall log Setup.uni in the target directory: one record per installed file
// (with a reverse index by path, so a path is recorded once across runs) and one per
// shortcut, written through the profile store, so the file is the same as the
// platform's profile functions write it.

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// The text of the target-directory field followed by "Setup.uni".
std::string UninstallLogPath(core::Installer& run);

// Rewrites [Application] Title with the main window's product title and, unless
// destPath is already recorded (letter case ignored), adds the record [ItemN] with
// the path, whether a file is there now and the registration flag, its reverse index
// [destPath] Item=N, and [Application] Count=N. A failed write throws
// profile::ProfileError; records written before it stay.
void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg);
// The same, for a caller that has just looked whether a file is at destPath.
void LogInstalledFile(core::Installer& run, const std::string& destPath, bool reg, bool exists);

// Adds the record [ShortCutN] with the link's path and its group folder and sets
// [ShortCuts] Count=N.
void LogShortCut(core::Installer& run, const std::string& linkPath, const std::string& groupFolder);

}  // namespace instalator::system
