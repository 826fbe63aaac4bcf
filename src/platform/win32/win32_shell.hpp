#pragma once
// The shell and loader requests on Windows: self-registration through a library's
// DllRegisterServer (and the reverse through DllUnregisterServer), shell links through the shell-link object (IShellLinkW and
// IPersistFile), MoveFileExW's reboot queue, ShellExecuteW and ExitWindowsEx. An
// exception that DllRegisterServer leaves unhandled (an access violation...) does
// not end the program: RegisterLibrary frees the library and throws ShellError
// naming the exception and where it was raised.

#include <memory>

#include "platform/shell.hpp"

namespace instalator::platform::win32 {

class Win32Ui;

class Win32Shell final : public Shell {
public:
    // ui gives the windows of the forms that own the shell's messages.
    explicit Win32Shell(Win32Ui& ui) : ui_(ui) {}

    Registration RegisterLibrary(const std::string& path) override;
    Registration UnregisterLibrary(const std::string& path) override;
    std::unique_ptr<LinkObject> NewLink(const ShellLink& link) override;
    bool QueueReplaceOnReboot(const std::string& destination, const std::string& source) override;
    bool QueueDeleteOnReboot(const std::string& path) override;
    bool StartFile(const Form* owner, const std::string& file, const std::string& parameters,
                   const std::string& directory, int showCommand) override;
    bool RestartWindows() override;

private:
    Win32Ui& ui_;
};

}  // namespace instalator::platform::win32
