#pragma once
// The file-system interface every layer uses. Paths are cp1250 byte strings in the
// form the implementation understands: Windows paths for the installer's machine
// (Win32 and the headless machine in a folder), host paths for respack.
// Failures throw common::IoError with the runtime's error code and the path.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace instalator::platform {

enum class OpenMode {
    Read,       // existing file, reading only
    ReadWrite,  // existing file, reading and writing
    Create,     // create or truncate, reading and writing
    // A new file, reading and writing; when any file already has the name (letter case
    // ignored where the platform ignores it), IoError with common::kFileExists.
    CreateNew,
    // Existing file, reading only, while other programs go on reading, writing,
    // renaming or deleting it: a file another program holds open for writing (a log
    // it keeps writing, say) still opens, as long as that program shares it for reading.
    ReadShared,
};

// An open file. Closing happens in the destructor; Close() reports a failure to
// flush, which the destructor cannot.
class File {
public:
    virtual ~File() = default;
    // Reads up to size bytes; returns how many were read, 0 at the end of the file.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Writes size bytes; returns how many were stored, fewer when the disk is full.
    virtual std::size_t Write(const void* data, std::size_t size) = 0;
    virtual void Seek(std::int64_t offset) = 0;
    virtual std::int64_t Position() = 0;
    virtual std::int64_t Size() = 0;
    // Cuts the file to its first size bytes (no more than it holds) and moves the
    // position there.
    virtual void Truncate(std::int64_t size) = 0;
    virtual void Close() = 0;
};

struct DirectoryEntry {
    std::string name;  // without the directory, cp1250
    bool isDirectory = false;
    std::uint32_t attributes = 0;  // Windows attribute bits where the platform has them
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    // True when a file (not a directory) exists at path.
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    // Renames the file from to the name to, replacing a file that already has that name.
    virtual void RenameFile(const std::string& from, const std::string& to) = 0;
    // Creates one directory; its parent must exist. An existing one is an error.
    virtual void CreateDirectory(const std::string& path) = 0;
    // Removes one empty directory; one that holds anything is an error.
    virtual void RemoveDirectory(const std::string& path) = 0;
    // The entries of a directory, without "." and "..".
    virtual std::vector<DirectoryEntry> ListDirectory(const std::string& path) = 0;
    // The separator that this file system's paths use between directories.
    virtual char Separator() const = 0;
};

// The file system of the machine this process runs on, addressed with host paths.
FileSystem& HostFileSystem();

// Creates the directory named by the text up to every "\" (and "/") of path, in
// order; failures (it exists, a drive root, an invalid name) are ignored. Text after
// the last separator is not created.
void MakePath(FileSystem& fs, std::string_view path);

}  // namespace instalator::platform
