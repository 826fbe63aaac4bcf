#pragma once
// The system facts of the headless machine, as a test sets them up: the installer's
// executable path, the environment, the Windows and system directories and the free
// space of each drive. The current directory is the file system's.

#include <map>

#include "platform/headless/file_system.hpp"
#include "platform/system.hpp"

namespace instalator::platform {

class HeadlessSystem final : public System {
public:
    // Free space of a mapped drive that no test has set.
    static constexpr std::int64_t kDefaultFreeSpace = 512LL * 1024 * 1024;

    explicit HeadlessSystem(HeadlessFileSystem& files) : files_(files) {}

    void SetExecutablePath(std::string path) { executable_ = std::move(path); }
    void SetArguments(std::string arguments) { arguments_ = std::move(arguments); }
    // Names are matched without regard to letter case; nothing unsets the variable.
    void SetEnvironmentVariable(std::string_view name, std::optional<std::string> value);
    void SetWindowsDirectory(std::string path) { windows_ = std::move(path); }
    void SetSystemDirectory(std::string path) { system_ = std::move(path); }
    // Nothing makes the query for that drive fail.
    void SetFreeDiskSpace(char drive, std::optional<std::int64_t> bytes);

    std::string ExecutablePath() override { return executable_; }
    std::string Arguments() override { return arguments_; }
    std::optional<std::string> EnvironmentVariable(std::string_view name) override;
    std::string WindowsDirectory() override { return windows_; }
    std::string SystemDirectory() override { return system_; }
    std::optional<std::int64_t> FreeDiskSpace(const std::string& root) override;
    std::string CurrentDirectory() override { return files_.CurrentDirectory(); }
    bool SetCurrentDirectory(const std::string& path) override { return files_.ChangeDirectory(path); }

private:
    HeadlessFileSystem& files_;
    std::string executable_ = "C:\\SETUP.EXE";
    std::string arguments_;
    std::map<std::string, std::string> environment_{{"temp", "C:\\WINDOWS\\TEMP"}};  // lower-case names
    std::string windows_ = "C:\\WINDOWS";
    std::string system_ = "C:\\WINDOWS\\SYSTEM";
    std::map<char, std::optional<std::int64_t>> freeSpace_;
};

}  // namespace instalator::platform
