#pragma once
// System facts and actions the installer asks of the machine it runs on, apart from
// files (file_system.hpp), the registry (registry.hpp) and windows (ui.hpp). Paths
// are cp1250 Windows paths. The Win32 backend asks the system; the headless machine
// answers from what a test set up.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>


namespace instalator::platform {

class System {
public:
    virtual ~System() = default;

    // Full path of the running installer executable.
    virtual std::string ExecutablePath() = 0;
    // The process's command line after the program's own name and the blanks that
    // follow it, as it was given (quotation marks kept).
    virtual std::string Arguments() = 0;
    // The value of an environment variable; nothing when it is not set.
    virtual std::optional<std::string> EnvironmentVariable(std::string_view name) = 0;
    // The Windows directory and the system directory, without a trailing "\" (unless
    // a drive root).
    virtual std::string WindowsDirectory() = 0;
    virtual std::string SystemDirectory() = 0;
    // Free bytes on the drive of root ("C:\"), as far as this user may use them;
    // nothing when the query fails (no such drive, not a drive root, a network path).
    virtual std::optional<std::int64_t> FreeDiskSpace(const std::string& root) = 0;

    // The process's current directory, and changing it; false when path does not
    // name an existing directory (the current directory then stays).
    virtual std::string CurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
};

}  // namespace instalator::platform
