#include "uninstall/remover.hpp"

#include <algorithm>
#include <map>
#include <optional>

#include "common/text.hpp"
#include "profile/ini_file.hpp"
#include "system/uninstall_entry.hpp"
#include "uninstall/command_line.hpp"

namespace instalator::uninstall {
namespace {

using common::LowerCase;
using common::SameText;

bool IsServerLibrary(const std::string& path) {
    const std::string lower = LowerCase(path);
    return lower.ends_with(".dll") || lower.ends_with(".ocx");
}

std::size_t Depth(const std::string& path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')); }

class Remover {
public:
    Remover(platform::Platform& machine, const UninstallLog& log, std::string logPath, const Progress& progress)
        : m_(machine), log_(log), logPath_(std::move(logPath)), progress_(progress),
          protected_(MachineProtectedDirectories(machine)), self_(machine.system.ExecutablePath()),
          total_(log.files.size() + log.links.size() + 1) {}

    Report Run() {
        for (const LoggedFile& file : log_.files) OneFile(file);
        for (const LoggedLink& link : log_.links) OneLink(link);
        for (const LoggedLink& link : log_.links) RemoveDirectoryIfEmpty(link.directory);
        Entry();
        Step(logPath_);
        Delete(logPath_, true);
        NoteDirectory(ParentOf(logPath_));
        if (selfListed_) report_.selfQueued = Queue(self_, false);
        Directories();
        return std::move(report_);
    }

private:
    void Step(const std::string& path) { progress_(done_++, total_, path); }

    void OneFile(const LoggedFile& file) {
        Step(file.path);
        if (file.existed) {
            report_.kept.push_back(file.path);
        } else if (SameText(file.path, self_)) {
            selfListed_ = true;
            NoteDirectory(ParentOf(file.path));
        } else if (m_.files.FileExists(file.path)) {
            if (file.registered || IsServerLibrary(file.path)) Unregister(file.path);
            Delete(file.path, true);
            NoteDirectory(ParentOf(file.path));
        }
    }

    // A library whose unregistration raises an error (it crashed) is deleted all the
    // same: the product is going, and its registration with it.
    void Unregister(const std::string& path) {
        try {
            m_.shell.UnregisterLibrary(path);
        } catch (const platform::ShellError&) {
        }
    }

    void OneLink(const LoggedLink& link) {
        Step(link.path);
        if (m_.files.FileExists(link.path)) Delete(link.path, true);
    }

    void Delete(const std::string& path, bool counts) {
        try {
            m_.files.RemoveFile(path);
            report_.removed.push_back(path);
        } catch (const common::IoError&) {
            if (!m_.files.FileExists(path)) return;
            (Queue(path, counts) ? report_.atRestart : report_.failed).push_back(path);
        }
    }

    // Queues path for deletion at the next start; counts says whether it is left
    // behind (everything but the uninstaller's own file and what holds only that).
    // A file left behind is also named in WinInit.ini, for the systems that read it;
    // the uninstaller's own file only when the system's queue refused it.
    bool Queue(const std::string& path, bool counts) {
        const bool system = m_.shell.QueueDeleteOnReboot(path);
        const bool winInit = (counts || !system) && !m_.files.DirectoryExists(path) && QueueInWinInit(path);
        if (system || winInit) pending_[LowerCase(path)] = counts;
        return system || winInit;
    }

    bool QueueInWinInit(const std::string& path) {
        try {
            profile::TIniFile(m_.files, WinInitPath()).AddLine("Rename", "NUL", path);
            return true;
        } catch (const profile::ProfileError&) {
            return false;
        }
    }

    std::string WinInitPath() {
        std::string path = m_.system.WindowsDirectory();
        if (path.empty() || path.back() != '\\') path += '\\';
        return path + "WinInit.ini";
    }

    void Entry();
    void NoteDirectory(const std::string& directory);
    void Directories();
    void RemoveDirectoryIfEmpty(const std::string& directory);
    std::optional<bool> OnlyPending(const std::string& directory);

    platform::Platform& m_;
    const UninstallLog& log_;
    std::string logPath_;
    const Progress& progress_;
    ProtectedDirectories protected_;
    std::string self_;
    bool selfListed_ = false;
    std::map<std::string, std::string> directories_;  // lower case: as spelt
    std::map<std::string, bool> pending_;             // lower case: whether it counts as left
    Report report_;
    std::size_t done_ = 0;
    std::size_t total_;
};

// The subkey name is shared by every package: it goes only when it points at this log.
void Remover::Entry() {
    const auto root = m_.registry.OpenRoot(platform::RootKey::LocalMachine);
    const auto list = root ? root->OpenSubKey(system::kUninstallKey, platform::KeyAccess::Full) : nullptr;
    if (!list) return;
    std::optional<std::string> command;
    if (const auto entry = list->OpenSubKey(system::kUninstallSubKey, platform::KeyAccess::Read)) {
        command = entry->QueryString("UnInstallString");
    }
    if (!command || !SameText(Split(*command).rest, logPath_)) return;
    report_.entryRemoved = list->DeleteSubKey(system::kUninstallSubKey);
    if (!report_.entryRemoved) report_.failed.push_back(std::string(system::kUninstallSubKey));
}

// The directory and those between it and the log's directory (the target directory,
// which the installation made with everything in it).
void Remover::NoteDirectory(const std::string& directory) {
    const std::string top = ParentOf(logPath_);
    for (std::string at = directory;; at = ParentOf(at)) {
        directories_.emplace(LowerCase(at), at);
        if (!IsInside(at, top)) break;
    }
}

void Remover::Directories() {
    std::vector<std::string> order;
    for (const auto& [key, directory] : directories_) order.push_back(directory);
    std::stable_sort(order.begin(), order.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& directory : order) RemoveDirectoryIfEmpty(directory);
}

void Remover::RemoveDirectoryIfEmpty(const std::string& directory) {
    if (protected_.Contains(directory) || !m_.files.DirectoryExists(directory)) return;
    try {
        m_.files.RemoveDirectory(directory);
        report_.removed.push_back(directory);
    } catch (const common::IoError&) {
        // It holds something. When that is all queued for the next start, so is it.
        const std::optional<bool> counts = OnlyPending(directory);
        if (counts && Queue(directory, *counts) && *counts) report_.atRestart.push_back(directory);
    }
}

// Whether the directory holds only what is queued, and then whether any of it counts
// as left behind; nothing when it holds anything else.
std::optional<bool> Remover::OnlyPending(const std::string& directory) {
    bool counts = false;
    try {
        for (const platform::DirectoryEntry& entry : m_.files.ListDirectory(directory)) {
            const auto found = pending_.find(LowerCase(directory + "\\" + entry.name));
            if (found == pending_.end()) return std::nullopt;
            counts = counts || found->second;
        }
    } catch (const common::IoError&) {
        return std::nullopt;
    }
    return counts;
}

}  // namespace

ProtectedDirectories MachineProtectedDirectories(platform::Platform& machine) {
    return ProtectedDirectories(machine.system.WindowsDirectory(), machine.system.SystemDirectory());
}

Report Uninstall(platform::Platform& machine, const UninstallLog& log, const std::string& logPath,
                 const Progress& progress) {
    return Remover(machine, log, logPath, progress).Run();
}

}  // namespace instalator::uninstall
