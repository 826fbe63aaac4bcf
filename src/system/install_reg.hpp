#pragma once
// Self-registration of the libraries listed in the script's [InstallReg] section:
// those the package lists in advance first, then those the file pass appended.
// The file pass notes each library that asks for it here as it installs it.

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

// [InstallReg] Item<Count+1> = libraryPath, then Count = Count+1, in the script copy;
// items the script lists in advance keep their numbers. A failed write throws
// profile::ProfileError.
void AppendInstallReg(core::Installer& run, const std::string& libraryPath);

}  // namespace instalator::system
