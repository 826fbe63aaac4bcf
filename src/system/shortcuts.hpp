#pragma once
// The shortcuts of the run: one shell link per entry the file pass collected, in the
// program group below the user's Start-menu Programs folder, each recorded in the
// uninstall log; then the uninstall shortcut and entry (uninstall_entry.hpp).

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// Creates the links of ShortCutList 1 .. ShortCutCount in order, then the uninstall
// shortcut and registry entry. An error (no shell-link object, a failed log write,
// the registry refusing the entry) ends it there.
void InstallIcons(core::Installer& run);

// Writes the link <Programs>\<group>\<linkName> starting target with arguments in
// target's directory, creating the group folder (one level) when missing, and records
// it in the uninstall log, whether or not the shell managed to save it. Throws
// platform::ShellError when there is no shell-link object, before the registry or
// the group folder is touched.
void CreateShortCut(core::Installer& run, const std::string& group, const std::string& linkName,
                    const std::string& target, const std::string& arguments);

}  // namespace instalator::system
