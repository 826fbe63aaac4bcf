#pragma once
// Notes a library for self-registration after the file pass: the run's appends to
// the script's [InstallReg] list.

#include <string>

#include "core/installer.hpp"

namespace instalator::system {

// [InstallReg] Item<Count+1> = libraryPath, then Count = Count+1, in the script copy;
// items the script lists in advance keep their numbers. A failed write throws
// profile::ProfileError.
void AppendInstallReg(core::Installer& run, const std::string& libraryPath);

}  // namespace instalator::system
