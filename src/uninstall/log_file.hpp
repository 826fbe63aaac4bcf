#pragma once
// Reading the uninstall log Setup.uni that the installer left in the target
// directory: the product's title, every file record and every shortcut record. The
// log is read whole and checked whole before anything is removed: a record that is
// missing, unreadable or points anywhere but at a plain absolute path rejects the
// log, so that nothing is removed on the word of a damaged one.

#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.hpp"
#include "platform/file_system.hpp"
#include "uninstall/paths.hpp"

namespace instalator::uninstall {

// A log the uninstaller cannot go by. what() names the log and the reason, in Polish.
class LogError : public common::Error {
public:
    using common::Error::Error;
};

struct LoggedFile {
    std::string path;
    bool existed = false;     // a file was there before the installation wrote it
    bool registered = false;  // the installation registered it (DllRegisterServer)
};

struct LoggedLink {
    std::string path;       // the link file
    std::string directory;  // its group folder
};

struct UninstallLog {
    std::string title;  // [Application] Title: the product's name
    std::vector<LoggedFile> files;
    std::vector<LoggedLink> links;
};

// The largest log read; a real one holds a few hundred bytes per file.
inline constexpr std::int64_t kMaxLogSize = 8 * 1024 * 1024;

// Reads and checks the log at logPath. Throws LogError when it is missing, cannot be
// read, is larger than kMaxLogSize, lacks [Application] Count or a record it counts,
// holds a flag other than 0 or 1, or names a path that is not plain and absolute
// (IsPlainAbsolutePath), a value cut at the profile reader's length, a link outside
// its own group folder, or a file or group folder that is one of the protected
// directories (a drive root, the Windows or system directory or one that holds them).
UninstallLog ReadUninstallLog(platform::FileSystem& files, const std::string& logPath,
                              const ProtectedDirectories& protectedDirs);

}  // namespace instalator::uninstall
