#pragma once
// The file pass: every package volume of the script in turn, every file of a volume
// in turn.

#include <string>
#include <string_view>

#include "core/installer.hpp"

namespace instalator::install {

// The destination directory of a script item, ending in "\": the target directory
// for an empty Dest or "$PROGRAM", the system directory for "$SYSTEM", the Windows
// directory for "$WIN" (all compared in upper case), otherwise the subdirectory of
// the target directory named by Dest in upper case.
std::string DestinationDirectory(core::Installer& run, std::string_view dest);

// Installs every file of the script: asks for the next diskette while a volume is
// missing (ending the installer when the user gives up), shows the [Splash]
// pictures, creates the destination directories, collects the shortcut records
// (at most kMaxShortCuts; further requests are not recorded), installs each file
// that is missing or older than the packed copy, and adds every item's unpacked
// size to BytesDone.
void InstallResources(core::Installer& run);

}  // namespace instalator::install
