// The host file system on Windows, through the W functions so that cp1250 paths
// reach the disk correctly on a Windows of any language.

#include "platform/win32/win32_api.hpp"

#include "common/errors.hpp"
#include "platform/file_system.hpp"
#include "platform/win32/handle.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform {
namespace {

using common::IoError;
using win32::Narrow;
using win32::Search;
using win32::Wide;

int RuntimeCode(DWORD err) {
    switch (err) {
    case ERROR_HANDLE_EOF: return common::kDiskReadError;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return common::kDiskWriteError;
    default: return static_cast<int>(err);  // 2, 3, 5 and the rest keep Windows' numbers
    }
}

[[noreturn]] void Fail(const std::string& path) { throw IoError(RuntimeCode(::GetLastError()), path); }

class Win32File final : public File {
public:
    Win32File(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!::ReadFile(Handle(), buffer, static_cast<DWORD>(size), &got, nullptr)) Fail(path_);
        return got;
    }

    std::size_t Write(const void* data, std::size_t size) override {
        DWORD put = 0;
        if (!::WriteFile(Handle(), data, static_cast<DWORD>(size), &put, nullptr)) {
            const DWORD err = ::GetLastError();
            if ((err == ERROR_DISK_FULL || err == ERROR_HANDLE_DISK_FULL) && put > 0) return put;
            ::SetLastError(err);
            Fail(path_);
        }
        return put;
    }

    void Seek(std::int64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = offset;
        if (!::SetFilePointerEx(Handle(), to, nullptr, FILE_BEGIN)) Fail(path_);
    }

    std::int64_t Position() override {
        LARGE_INTEGER zero{}, at{};
        if (!::SetFilePointerEx(Handle(), zero, &at, FILE_CURRENT)) Fail(path_);
        return at.QuadPart;
    }

    std::int64_t Size() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(Handle(), &size)) Fail(path_);
        return size.QuadPart;
    }

    void Truncate(std::int64_t size) override {
        Seek(size);
        if (!::SetEndOfFile(Handle())) Fail(path_);
    }

    void Close() override {
        const HANDLE handle = handle_.Release();
        if (handle != INVALID_HANDLE_VALUE && !::CloseHandle(handle)) Fail(path_);
    }

private:
    HANDLE Handle() const {
        if (!handle_) throw IoError(103, path_);  // file not open
        return handle_.Get();
    }

    win32::FileHandle handle_;
    std::string path_;
};

std::unique_ptr<File> OpenFile(const std::string& path, DWORD access, DWORD sharing, DWORD disposition) {
    const HANDLE handle =
        ::CreateFileW(Wide(path).c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(path);
    return std::make_unique<Win32File>(handle, path);
}

// Others may read what this process opens, never write it meanwhile, except for a
// shared reading. A file being written may be deleted meanwhile (the removal takes
// effect when it is closed): an unfinished copy is removed as the installer ends.
DWORD Sharing(OpenMode mode) {
    switch (mode) {
    case OpenMode::Read: return FILE_SHARE_READ;
    case OpenMode::ReadShared: return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case OpenMode::ReadWrite:
    case OpenMode::Create:
    case OpenMode::CreateNew: break;
    }
    return FILE_SHARE_READ | FILE_SHARE_DELETE;
}

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        const bool writes = mode == OpenMode::ReadWrite || mode == OpenMode::Create || mode == OpenMode::CreateNew;
        const DWORD access = writes ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        if (mode == OpenMode::Create) disposition = CREATE_ALWAYS;
        if (mode == OpenMode::CreateNew) disposition = CREATE_NEW;
        return OpenFile(path, access, Sharing(mode), disposition);
    }

    bool FileExists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool DirectoryExists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    void RemoveFile(const std::string& path) override {
        if (!::DeleteFileW(Wide(path).c_str())) Fail(path);
    }

    void RenameFile(const std::string& from, const std::string& to) override {
        if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) Fail(from);
    }

    void CreateDirectory(const std::string& path) override {
        if (!::CreateDirectoryW(Wide(path).c_str(), nullptr)) Fail(path);
    }

    void RemoveDirectory(const std::string& path) override {
        if (!::RemoveDirectoryW(Wide(path).c_str())) Fail(path);
    }

    std::vector<DirectoryEntry> ListDirectory(const std::string& path) override {
        std::string pattern = path;
        if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
        pattern += '*';
        WIN32_FIND_DATAW data;
        const Search find(::FindFirstFileW(Wide(pattern).c_str(), &data));
        if (!find) Fail(path);
        std::vector<DirectoryEntry> entries;
        do {
            const std::string name = Narrow(data.cFileName);
            if (name == "." || name == "..") continue;
            entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, data.dwFileAttributes});
        } while (::FindNextFileW(find.Get(), &data));
        return entries;
    }

    char Separator() const override { return '\\'; }
};

}  // namespace

FileSystem& HostFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace instalator::platform
