#pragma once
// Self-registration of the libraries listed in the script's [InstallReg] section:
// those the package lists in advance first, then those the file pass appended.

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// Registers [InstallReg] Item1 .. Item<Count> in order, Count read once. A library
// that cannot be loaded, has no DllRegisterServer or whose registration reports a
// failure is passed over without a word and the next one follows; an error raised
// inside a library's registration (platform::ShellError) ends the loop and goes on
// to the caller, the library freed.
void ProcessInstallReg(core::Installer& run);

// Loads the library at libraryPath, calls its DllRegisterServer when it has one and
// frees it again. An empty or missing path does nothing.
void RegisterLibrary(core::Installer& run, const std::string& libraryPath);

}  // namespace instalator::system
