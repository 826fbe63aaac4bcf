#pragma once
// What the Windows host file system offers beyond the FileSystem interface.

#include <memory>
#include <string>

#include "platform/file_system.hpp"

namespace instalator::platform::win32 {

// Opens an existing file for reading only, letting other programs go on reading,
// writing, renaming and deleting it meanwhile: a file that another program holds
// open for writing (a log it keeps writing, say) still opens, as long as that
// program shares it for reading. Throws common::IoError as FileSystem::Open does.
std::unique_ptr<File> OpenSharedForReading(const std::string& path);

}  // namespace instalator::platform::win32
