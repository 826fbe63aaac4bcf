#pragma once
// The file system of the headless machine: Windows paths ("C:\DIST\Setup1.res") on
// host directories, one per drive letter. Existing names are found without regard
// to letter case, "\" and "/" both separate, "." and ".." are resolved, and a path
// that would climb out of its drive's directory is refused. Paths without a drive
// are taken relative to the machine's current directory. Files can be locked, as a
// running program locks its files: they can be read but not deleted, renamed or
// written.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.hpp"

namespace instalator::platform {

// The runtime's code for a file that another process holds open.
inline constexpr int kSharingViolation = 32;

// A Windows path taken apart: its drive letter (upper case) and its names.
struct WindowsPath {
    char drive = 'C';
    std::vector<std::string> names;

    // "C:\A\B" (a drive root is "C:\").
    std::string Text() const;
};

class HeadlessFileSystem final : public FileSystem {
public:
    HeadlessFileSystem();

    // Paths on drive letter live in hostDirectory, which must exist.
    void MapDrive(char letter, const std::filesystem::path& hostDirectory);
    bool IsMapped(char letter) const;

    // The absolute form of path: drive from the path or the current directory, "."
    // and ".." resolved. Throws common::IoError (path not found) for a path with no
    // drive letter where one is needed (UNC names), or one that climbs above its root.
    WindowsPath Parse(const std::string& path) const;
    // Where path lives on the host, existing names spelt as they are stored. Throws
    // common::IoError (path not found) for an unmapped drive and as Parse does.
    std::string HostPath(const std::string& path) const;

    // Current directory: a drive root or a directory without a trailing "\".
    const std::string& CurrentDirectory() const { return currentDirectory_; }
    // False (and no change) unless path names an existing directory.
    bool ChangeDirectory(const std::string& path);

    void Lock(const std::string& path);
    void Unlock(const std::string& path);
    // The Windows attribute bits that listings report for the existing entry at path
    // (read-only 0x01, hidden 0x02, ... with directory 0x10), instead of the host's.
    void SetAttributes(const std::string& path, std::uint32_t attributes);
    // The next opens openings of path for writing give files that store nothing
    // (Write returns 0), as on a full disk.
    void FailWrites(const std::string& path, int opens);
    // The next opens openings of path for reading only give files on which a read of
    // any byte in [begin, end) fails with a read error, as a bad sector does.
    void FailReads(const std::string& path, std::int64_t begin, std::int64_t end, int opens);
    // The next opens openings of path for writing give files whose Close reports a
    // write error after closing, as when the last bytes cannot be flushed to the disk.
    void FailCloses(const std::string& path, int opens);

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    void RenameFile(const std::string& from, const std::string& to) override;
    void CreateDirectory(const std::string& path) override;
    void RemoveDirectory(const std::string& path) override;
    std::vector<DirectoryEntry> ListDirectory(const std::string& path) override;
    char Separator() const override { return '\\'; }

private:
    std::string LockKey(const std::string& path) const;
    void CheckUnlocked(const std::string& path) const;

    std::map<char, std::string> drives_;  // host directory of each drive, cp1250
    std::set<std::string> locked_;        // lower-cased host paths
    std::map<std::string, std::uint32_t> attributes_;  // lower-cased host paths
    std::map<std::string, int> failingWrites_;         // lower-cased host paths
    std::map<std::string, int> failingCloses_;         // lower-cased host paths
    std::map<std::string, int> failingReads_;          // lower-cased host paths
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> badBytes_;  // the same keys
    std::string currentDirectory_ = "C:\\";
};

}  // namespace instalator::platform
