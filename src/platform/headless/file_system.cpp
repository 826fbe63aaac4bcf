#include "platform/headless/file_system.hpp"

#include <algorithm>
#include <optional>
#include <tuple>
#include <string_view>

#include "common/errors.hpp"
#include "common/text.hpp"

namespace instalator::platform {
namespace {

using common::IoError;

// The runtime's code for a file name the platform does not accept.
constexpr int kInvalidName = 123;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }


bool IsValidName(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos;
    });
}

std::vector<std::string> SplitNames(std::string_view text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\\', start), text.size());
        names.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

template <typename Operation>
auto UnderWindowsName(const std::string& path, Operation&& operation) -> decltype(operation()) {
    try {
        return operation();
    } catch (const IoError& error) {
        throw IoError(error.code(), path);
    }
}

// The failures the test asked for on one opened file.
struct InjectedFaults {
    bool storesNothing = false;
    bool closeFails = false;
    // Reads that touch a byte of [badBegin, badEnd) fail.
    std::int64_t badBegin = 0;
    std::int64_t badEnd = 0;
};

// Counts one opening against the failures planned for key; true while any are left.
bool TakeFailure(std::map<std::string, int>& planned, const std::string& key) {
    const auto failing = planned.find(key);
    if (failing == planned.end() || failing->second <= 0) return false;
    --failing->second;
    return true;
}

// A host file whose errors name the Windows path it was opened under.
class HeadlessFile final : public File {
public:
    HeadlessFile(std::unique_ptr<File> inner, std::string path, InjectedFaults faults)
        : inner_(std::move(inner)), path_(std::move(path)), faults_(faults) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        if (faults_.badBegin < faults_.badEnd && size > 0) {
            const std::int64_t at = inner_->Position();
            if (at < faults_.badEnd && at + static_cast<std::int64_t>(size) > faults_.badBegin) {
                throw IoError(common::kDiskReadError, path_);
            }
        }
        return UnderWindowsName(path_, [&] { return inner_->Read(buffer, size); });
    }
    std::size_t Write(const void* data, std::size_t size) override {
        if (faults_.storesNothing) return 0;
        return UnderWindowsName(path_, [&] { return inner_->Write(data, size); });
    }
    void Seek(std::int64_t offset) override {
        UnderWindowsName(path_, [&] { inner_->Seek(offset); });
    }
    std::int64_t Position() override {
        return UnderWindowsName(path_, [&] { return inner_->Position(); });
    }
    std::int64_t Size() override {
        return UnderWindowsName(path_, [&] { return inner_->Size(); });
    }
    void Truncate(std::int64_t size) override {
        UnderWindowsName(path_, [&] { inner_->Truncate(size); });
    }
    void Close() override {
        UnderWindowsName(path_, [&] { inner_->Close(); });
        if (faults_.closeFails) throw IoError(common::kDiskWriteError, path_);
    }

private:
    std::unique_ptr<File> inner_;
    std::string path_;
    InjectedFaults faults_;
};

bool HostEntryExists(const std::string& host) {
    return HostFileSystem().FileExists(host) || HostFileSystem().DirectoryExists(host);
}

// The stored spelling of name in the host directory, matched without regard to
// letter case; nothing when the directory holds no such entry.
std::optional<std::string> StoredName(const std::string& hostDirectory, const std::string& name) {
    if (HostEntryExists(hostDirectory + "/" + name)) return name;
    if (!HostFileSystem().DirectoryExists(hostDirectory)) return std::nullopt;
    for (const DirectoryEntry& entry : HostFileSystem().ListDirectory(hostDirectory)) {
        if (common::SameText(entry.name, name)) return entry.name;
    }
    return std::nullopt;
}

}  // namespace

std::string WindowsPath::Text() const {
    std::string text{drive, ':', '\\'};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += '\\';
        text += names[i];
    }
    return text;
}

HeadlessFileSystem::HeadlessFileSystem() = default;

void HeadlessFileSystem::MapDrive(char letter, const std::filesystem::path& hostDirectory) {
    drives_[common::UpperChar(letter)] = common::Cp1250FromUtf8(hostDirectory.string());
}

bool HeadlessFileSystem::IsMapped(char letter) const { return drives_.contains(common::UpperChar(letter)); }

WindowsPath HeadlessFileSystem::Parse(const std::string& path) const {
    std::string text = path;
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.empty() || text.starts_with("\\\\")) throw IoError(common::kPathNotFound, path);

    WindowsPath current;
    current.drive = currentDirectory_[0];
    for (std::string& name : SplitNames(std::string_view(currentDirectory_).substr(3))) {
        if (!name.empty()) current.names.push_back(std::move(name));
    }

    WindowsPath result;
    std::string_view rest = text;
    if (text.size() >= 2 && text[1] == ':' && IsAsciiLetter(text[0])) {
        result.drive = common::UpperChar(text[0]);
        rest.remove_prefix(2);
    } else {
        result.drive = current.drive;
    }
    const bool relative = rest.empty() || rest.front() != '\\';
    if (relative && result.drive == current.drive) result.names = current.names;

    for (std::string& name : SplitNames(rest)) {
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (result.names.empty()) throw IoError(common::kPathNotFound, path);
            result.names.pop_back();
            continue;
        }
        if (!IsValidName(name)) throw IoError(kInvalidName, path);
        result.names.push_back(std::move(name));
    }
    return result;
}

std::string HeadlessFileSystem::HostPath(const std::string& path) const {
    const WindowsPath parsed = Parse(path);
    const auto drive = drives_.find(parsed.drive);
    if (drive == drives_.end()) throw IoError(common::kPathNotFound, path);
    std::string host = drive->second;
    bool existing = true;
    for (const std::string& name : parsed.names) {
        std::optional<std::string> stored;
        if (existing) stored = StoredName(host, name);
        existing = stored.has_value();
        host += "/" + stored.value_or(name);
    }
    return host;
}

bool HeadlessFileSystem::ChangeDirectory(const std::string& path) {
    try {
        const WindowsPath parsed = Parse(path);
        if (!HostFileSystem().DirectoryExists(HostPath(path))) return false;
        currentDirectory_ = parsed.Text();
        return true;
    } catch (const IoError&) {
        return false;
    }
}

std::string HeadlessFileSystem::LockKey(const std::string& hostPath) const { return common::LowerCase(hostPath); }

void HeadlessFileSystem::Lock(const std::string& path) { locked_.insert(LockKey(HostPath(path))); }

void HeadlessFileSystem::Unlock(const std::string& path) { locked_.erase(LockKey(HostPath(path))); }

void HeadlessFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    attributes_[LockKey(HostPath(path))] = attributes;
}

void HeadlessFileSystem::FailWrites(const std::string& path, int opens) {
    failingWrites_[LockKey(HostPath(path))] = opens;
}

void HeadlessFileSystem::FailReads(const std::string& path, std::int64_t begin, std::int64_t end, int opens) {
    failingReads_[LockKey(HostPath(path))] = opens;
    badBytes_[LockKey(HostPath(path))] = {begin, end};
}

void HeadlessFileSystem::FailCloses(const std::string& path, int opens) {
    failingCloses_[LockKey(HostPath(path))] = opens;
}

void HeadlessFileSystem::CheckUnlocked(const std::string& path) const {
    if (locked_.contains(LockKey(HostPath(path)))) throw IoError(kSharingViolation, path);
}

std::unique_ptr<File> HeadlessFileSystem::Open(const std::string& path, OpenMode mode) {
    const std::string host = HostPath(path);
    const bool writes = mode == OpenMode::ReadWrite || mode == OpenMode::Create || mode == OpenMode::CreateNew;
    // A name that is taken is refused before anything looks whether the file is in use.
    if (mode == OpenMode::CreateNew && FileExists(path)) throw IoError(common::kFileExists, path);
    if (writes) CheckUnlocked(path);
    auto file = UnderWindowsName(path, [&] { return HostFileSystem().Open(host, mode); });
    InjectedFaults faults;
    if (writes) {
        faults.storesNothing = TakeFailure(failingWrites_, LockKey(host));
        faults.closeFails = TakeFailure(failingCloses_, LockKey(host));
    } else if (const auto bad = badBytes_.find(LockKey(host)); bad != badBytes_.end()) {
        if (TakeFailure(failingReads_, LockKey(host))) std::tie(faults.badBegin, faults.badEnd) = bad->second;
    }
    return std::make_unique<HeadlessFile>(std::move(file), path, faults);
}

bool HeadlessFileSystem::FileExists(const std::string& path) {
    try {
        return HostFileSystem().FileExists(HostPath(path));
    } catch (const IoError&) {
        return false;
    }
}

bool HeadlessFileSystem::DirectoryExists(const std::string& path) {
    try {
        return HostFileSystem().DirectoryExists(HostPath(path));
    } catch (const IoError&) {
        return false;
    }
}

void HeadlessFileSystem::RemoveFile(const std::string& path) {
    const std::string host = HostPath(path);
    CheckUnlocked(path);
    UnderWindowsName(path, [&] { HostFileSystem().RemoveFile(host); });
}

void HeadlessFileSystem::RenameFile(const std::string& from, const std::string& to) {
    const std::string hostFrom = HostPath(from);
    const std::string hostTo = HostPath(to);
    CheckUnlocked(from);
    CheckUnlocked(to);
    UnderWindowsName(from, [&] { HostFileSystem().RenameFile(hostFrom, hostTo); });
}

void HeadlessFileSystem::CreateDirectory(const std::string& path) {
    const std::string host = HostPath(path);
    UnderWindowsName(path, [&] { HostFileSystem().CreateDirectory(host); });
}

void HeadlessFileSystem::RemoveDirectory(const std::string& path) {
    const std::string host = HostPath(path);
    // A drive's own directory is its root, which no program removes.
    if (Parse(path).names.empty()) throw IoError(common::kAccessDenied, path);
    UnderWindowsName(path, [&] { HostFileSystem().RemoveDirectory(host); });
}

std::vector<DirectoryEntry> HeadlessFileSystem::ListDirectory(const std::string& path) {
    const std::string host = HostPath(path);
    std::vector<DirectoryEntry> entries = UnderWindowsName(path, [&] { return HostFileSystem().ListDirectory(host); });
    for (DirectoryEntry& entry : entries) {
        const auto set = attributes_.find(LockKey(host + "/" + entry.name));
        if (set != attributes_.end()) entry.attributes = set->second;
    }
    return entries;
}

}  // namespace instalator::platform
