#pragma once
// Putting one package file on the disk: log it, free the destination (or divert the
// new copy to a temporary name queued to replace it at the next start), note it for
// self-registration, and unpack it, offering Abort, Retry and Ignore on a write
// error.

#include <memory>
#include <string>

#include "core/installer.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::install {

// Deletes the file at path if there is one; true when no file is left there, false
// when the file could not be deleted (in use, read-only).
bool DeleteIfExists(platform::FileSystem& files, const std::string& path);

// A new file made for the copy of destPath: the file name cut before its first "."
// plus ".q07", beside destPath; when a file of that name exists already (another
// diverted copy), "~2", "~3", ... go before the ".q07" until the name is free. The
// name stays the copy's when destPath is in use. Each name is tried by making the
// file only where none has it, which costs no separate look for the name.
struct DivertedCopy {
    std::string path;
    std::unique_ptr<platform::File> file;
};
DivertedCopy CreateDiverted(platform::FileSystem& files, const std::string& destPath);

// Installs the entry named like destPath's file name from the package volume
// volumeName (in the installer's directory) at destPath; reg is the script's
// registration flag. Ends the installer when the user confirms an abort in the
// write-error box. An existing destination is touched only when the volume holds
// the entry.
void InstallFile(core::Installer& run, const std::string& volumeName, const std::string& destPath, bool reg);

// The same, reading the entry through volume, which the file pass keeps from file to
// file: while it holds volumeName open (package::TResourceClass::OpenAndHold) an
// attempt reads from it as it stands; otherwise, and after every failed attempt (so
// for the retry after the write-error box), the volume is opened afresh and held.
// destExists tells whether a file is at destPath, as the caller has just looked; log
// is the uninstall log the pass keeps.
void InstallFile(core::Installer& run, package::TResourceClass& volume, const std::string& volumeName,
                 const std::string& destPath, bool reg, bool destExists, system::UninstallLog& log);

}  // namespace instalator::install
