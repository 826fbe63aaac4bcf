#pragma once
// The shell of the headless machine. Every request is recorded for the test to
// inspect; registrations, the shell-link object, the reboot queue, starts and
// restarts answer as the test scripted them. A link is written into the machine's
// file system as a small text file holding its fields, so it lies where a real link
// would and ReadLink gives its fields back.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/file_system.hpp"
#include "platform/shell.hpp"

namespace instalator::platform {

class HeadlessShell final : public Shell {
public:
    // The system's code for a library that cannot be found (ERROR_MOD_NOT_FOUND).
    static constexpr std::uint32_t kModuleNotFound = 126;

    struct LinkRequest {
        std::string linkPath;
        ShellLink link;
        bool saved = false;
    };
    struct RenameRequest {
        std::string destination;
        std::string source;
    };
    struct StartRequest {
        const Form* owner = nullptr;
        std::string file;
        std::string parameters;
        std::string directory;
        int showCommand = 0;
    };

    explicit HeadlessShell(HeadlessFileSystem& files) : files_(files) {}

    // Scripting. A library path (letter case ignored) answers with result, or its
    // DllRegisterServer raises an error with message (after which the library is
    // freed as usual). Unscripted paths register when the file exists and are not
    // loaded otherwise.
    void ScriptRegistration(const std::string& path, Registration result);
    void ScriptRegistrationError(const std::string& path, std::string message);
    // With a message, NewLink throws ShellError with it (no shell-link object).
    void SetLinkObjectMissing(std::optional<std::string> message) { linkObjectMissing_ = std::move(message); }
    // False: the machine is of the family without MoveFileEx's reboot queue.
    void SetReplaceOnRebootSupported(bool supported) { rebootQueue_ = supported; }
    void SetStartResult(bool started) { startResult_ = started; }
    void SetRestartResult(bool accepted) { restartResult_ = accepted; }

    // What was asked, in order.
    const std::vector<std::string>& Registrations() const { return registrations_; }
    // Each unregistration asked for, with whether the library's file was there then.
    struct UnregisterRequest {
        std::string path;
        bool present = false;
    };
    const std::vector<UnregisterRequest>& Unregistrations() const { return unregistrations_; }
    const std::vector<LinkRequest>& Links() const { return links_; }
    // Only the renames the machine accepted; a deletion has an empty source.
    const std::vector<RenameRequest>& Renames() const { return renames_; }
    const std::vector<StartRequest>& Starts() const { return starts_; }
    int Restarts() const { return restarts_; }

    // The fields of the link file at linkPath; nothing when there is none or the
    // file is not a link this shell wrote.
    std::optional<ShellLink> ReadLink(const std::string& linkPath);

    Registration RegisterLibrary(const std::string& path) override;
    // Answers as RegisterLibrary does, from the same script.
    Registration UnregisterLibrary(const std::string& path) override;
    std::unique_ptr<LinkObject> NewLink(const ShellLink& link) override;
    bool QueueReplaceOnReboot(const std::string& destination, const std::string& source) override;
    bool QueueDeleteOnReboot(const std::string& path) override;
    bool StartFile(const Form* owner, const std::string& file, const std::string& parameters,
                   const std::string& directory, int showCommand) override;
    bool RestartWindows() override;

private:
    class Link;

    // Writes the link file and records the request.
    bool SaveLink(const std::string& linkPath, const ShellLink& link);

    struct Scripted {
        Registration result;
        std::optional<std::string> error;
    };

    HeadlessFileSystem& files_;
    std::map<std::string, Scripted> scripted_;  // lower-case paths
    std::optional<std::string> linkObjectMissing_;
    bool rebootQueue_ = true;
    bool startResult_ = true;
    bool restartResult_ = true;

    // The scripted or default answer for the library at path.
    Registration Answer(const std::string& path);

    std::vector<std::string> registrations_;
    std::vector<UnregisterRequest> unregistrations_;
    std::vector<LinkRequest> links_;
    std::vector<RenameRequest> renames_;
    std::vector<StartRequest> starts_;
    int restarts_ = 0;
};

}  // namespace instalator::platform
