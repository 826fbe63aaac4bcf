#include "platform/headless/shell.hpp"

#include <string_view>
#include <utility>

#include "common/text.hpp"

namespace instalator::platform {
namespace {

constexpr std::string_view kLinkHeader = "[HeadlessLink]";
constexpr std::string_view kTarget = "Target=";
constexpr std::string_view kArguments = "Arguments=";
constexpr std::string_view kWorkingDirectory = "WorkingDirectory=";

std::string LinkText(const ShellLink& link) {
    std::string text(kLinkHeader);
    text += "\r\n";
    text.append(kTarget).append(link.target).append("\r\n");
    text.append(kArguments).append(link.arguments).append("\r\n");
    text.append(kWorkingDirectory).append(link.workingDirectory).append("\r\n");
    return text;
}

// The value of the line that starts with prefix, found after position at; moves at
// past that line.
std::optional<std::string> Field(std::string_view text, std::size_t& at, std::string_view prefix) {
    if (text.substr(at, prefix.size()) != prefix) return std::nullopt;
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string_view::npos) return std::nullopt;
    std::string value(text.substr(at + prefix.size(), end - at - prefix.size()));
    at = end + 2;
    return value;
}

}  // namespace

void HeadlessShell::ScriptRegistration(const std::string& path, Registration result) {
    scripted_[common::LowerCase(path)] = Scripted{result, std::nullopt};
}

void HeadlessShell::ScriptRegistrationError(const std::string& path, std::string message) {
    scripted_[common::LowerCase(path)] = Scripted{Registration{}, std::move(message)};
}

Registration HeadlessShell::RegisterLibrary(const std::string& path) {
    registrations_.push_back(path);
    return Answer(path);
}

Registration HeadlessShell::UnregisterLibrary(const std::string& path) {
    unregistrations_.push_back({path, !path.empty() && files_.FileExists(path)});
    return Answer(path);
}

Registration HeadlessShell::Answer(const std::string& path) {
    const auto scripted = scripted_.find(common::LowerCase(path));
    if (scripted != scripted_.end()) {
        if (scripted->second.error) throw ShellError(*scripted->second.error);
        return scripted->second.result;
    }
    if (path.empty() || !files_.FileExists(path)) return {Registration::Outcome::NotLoaded, kModuleNotFound};
    return {};
}

class HeadlessShell::Link final : public LinkObject {
public:
    Link(HeadlessShell& shell, ShellLink fields) : shell_(shell), fields_(std::move(fields)) {}
    bool Save(const std::string& linkPath) override { return shell_.SaveLink(linkPath, fields_); }

private:
    HeadlessShell& shell_;
    ShellLink fields_;
};

std::unique_ptr<LinkObject> HeadlessShell::NewLink(const ShellLink& link) {
    if (linkObjectMissing_) throw ShellError(*linkObjectMissing_);
    return std::make_unique<Link>(*this, link);
}

bool HeadlessShell::SaveLink(const std::string& linkPath, const ShellLink& link) {
    LinkRequest& request = links_.emplace_back(LinkRequest{linkPath, link, false});
    try {
        const std::string text = LinkText(link);
        auto file = files_.Open(linkPath, OpenMode::Create);
        request.saved = file->Write(text.data(), text.size()) == text.size();
        file->Close();
    } catch (const common::IoError&) {
        request.saved = false;
    }
    return request.saved;
}

std::optional<ShellLink> HeadlessShell::ReadLink(const std::string& linkPath) {
    if (!files_.FileExists(linkPath)) return std::nullopt;
    auto file = files_.Open(linkPath, OpenMode::Read);
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    text.resize(file->Read(text.data(), text.size()));
    std::size_t at = 0;
    if (!Field(text, at, kLinkHeader)) return std::nullopt;
    auto target = Field(text, at, kTarget);
    auto arguments = Field(text, at, kArguments);
    auto workingDirectory = Field(text, at, kWorkingDirectory);
    if (!target || !arguments || !workingDirectory || at != text.size()) return std::nullopt;
    return ShellLink{std::move(*target), std::move(*arguments), std::move(*workingDirectory)};
}

bool HeadlessShell::QueueReplaceOnReboot(const std::string& destination, const std::string& source) {
    if (!rebootQueue_) return false;
    renames_.push_back({destination, source});
    return true;
}

bool HeadlessShell::QueueDeleteOnReboot(const std::string& path) {
    if (!rebootQueue_) return false;
    renames_.push_back({path, ""});
    return true;
}

bool HeadlessShell::StartFile(const Form* owner, const std::string& file, const std::string& parameters,
                              const std::string& directory, int showCommand) {
    starts_.push_back({owner, file, parameters, directory, showCommand});
    return startResult_;
}

bool HeadlessShell::RestartWindows() {
    ++restarts_;
    return restartResult_;
}

}  // namespace instalator::platform
