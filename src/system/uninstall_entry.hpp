#pragma once
// The two ways the installation can be removed again, both starting the package's
// uninstaller with the uninstall log: the shortcut "Odinstaluj.lnk" in the program
// group, and the entry in the system's list of uninstallable programs.

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// The system's list of uninstallable programs, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The subkey of the uninstall list, one for every package and target directory.
inline constexpr const char* kUninstallSubKey = "Quill07 HTML Editor";

// Does nothing when the script's [Application] Uninstall is empty. Otherwise creates
// the link "Odinstaluj.lnk" in the group of the first shortcut, starting the
// uninstaller (target directory + Uninstall) with the log path, then writes
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quill07 HTML
// Editor: DisplayName = the product title on the main window, UnInstallString = the
// uninstaller's path, a blank, the log's path. A path that holds a blank is put in
// quotation marks (in the link's argument too), so that the command splits into the
// program and one argument. Throws profile::RegistryError when the key or a value
// cannot be written (a value written before stays), platform::ShellError without a
// shell-link object (then nothing is written to the registry).
void RegisterUninstaller(core::Installer& run);

}  // namespace instalator::system
