#pragma once
// System facts and actions on Windows, through the W functions.

#include "platform/system.hpp"

namespace instalator::platform::win32 {

class Win32System final : public System {
public:
    std::string ExecutablePath() override;
    std::string Arguments() override;
    std::optional<std::string> EnvironmentVariable(std::string_view name) override;
    std::string WindowsDirectory() override;
    std::string SystemDirectory() override;
    std::optional<std::int64_t> FreeDiskSpace(const std::string& root) override;
    std::string CurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
};

}  // namespace instalator::platform::win32
