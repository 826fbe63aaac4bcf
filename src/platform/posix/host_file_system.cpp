// The host file system on Linux: cp1250 paths are converted to UTF-8 for the kernel.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/errors.hpp"
#include "common/text.hpp"
#include "platform/file_system.hpp"

namespace instalator::platform {
namespace {

using common::IoError;

int RuntimeCode(int err) {
    switch (err) {
    case ENOENT: return common::kFileNotFound;
    case ENOTDIR: return common::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR: return common::kAccessDenied;
    case ENOSPC: return common::kDiskWriteError;
    case EIO: return common::kDiskReadError;
    default: return 1000 + err;
    }
}

[[noreturn]] void Fail(const std::string& path) { throw IoError(RuntimeCode(errno), path); }

std::string Native(const std::string& path) { return common::Utf8FromCp1250(path); }

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::size_t Read(void* buffer, std::size_t size) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(Fd(), out + done, size - done);
            if (got < 0) {
                if (errno == EINTR) continue;
                Fail(path_);
            }
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    std::size_t Write(const void* data, std::size_t size) override {
        const auto* in = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t put = ::write(Fd(), in + done, size - done);
            if (put < 0) {
                if (errno == EINTR) continue;
                if (errno == ENOSPC && done > 0) break;  // a short write: the caller decides
                Fail(path_);
            }
            if (put == 0) break;
            done += static_cast<std::size_t>(put);
        }
        return done;
    }

    void Seek(std::int64_t offset) override {
        if (::lseek(Fd(), static_cast<off_t>(offset), SEEK_SET) < 0) Fail(path_);
    }

    std::int64_t Position() override {
        const off_t pos = ::lseek(Fd(), 0, SEEK_CUR);
        if (pos < 0) Fail(path_);
        return pos;
    }

    std::int64_t Size() override {
        struct stat st {};
        if (::fstat(Fd(), &st) != 0) Fail(path_);
        return st.st_size;
    }

    void Truncate(std::int64_t size) override {
        if (::ftruncate(Fd(), static_cast<off_t>(size)) != 0) Fail(path_);
        Seek(size);
    }

    void Close() override {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) Fail(path_);
    }

private:
    int Fd() const {
        if (fd_ < 0) throw IoError(103, path_);  // file not open
        return fd_;
    }

    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::Read:
        case OpenMode::ReadShared: flags |= O_RDONLY; break;
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case OpenMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
        }
        const std::string native = Native(path);
        const int fd = ::open(native.c_str(), flags, 0644);
        if (fd < 0 && errno == EEXIST) throw IoError(common::kFileExists, path);
        if (fd < 0) Fail(path);
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            throw IoError(common::kAccessDenied, path);
        }
        return std::make_unique<PosixFile>(fd, path);
    }

    bool FileExists(const std::string& path) override {
        struct stat st {};
        return ::stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

    bool DirectoryExists(const std::string& path) override {
        struct stat st {};
        return ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    void RemoveFile(const std::string& path) override {
        if (::unlink(Native(path).c_str()) != 0) Fail(path);
    }

    void RenameFile(const std::string& from, const std::string& to) override {
        if (::rename(Native(from).c_str(), Native(to).c_str()) != 0) Fail(from);
    }

    void CreateDirectory(const std::string& path) override {
        if (::mkdir(Native(path).c_str(), 0755) != 0) Fail(path);
    }

    void RemoveDirectory(const std::string& path) override {
        if (::rmdir(Native(path).c_str()) != 0) Fail(path);
    }

    std::vector<DirectoryEntry> ListDirectory(const std::string& path) override {
        const std::string native = Native(path);
        DIR* dir = ::opendir(native.c_str());
        if (dir == nullptr) Fail(path);
        std::vector<DirectoryEntry> entries;
        while (const dirent* ent = ::readdir(dir)) {
            const std::string name = ent->d_name;
            if (name == "." || name == "..") continue;
            DirectoryEntry entry;
            try {
                entry.name = common::Cp1250FromUtf8(name);
            } catch (const common::Error&) {
                continue;  // a name that cp1250 cannot spell cannot be addressed either
            }
            struct stat st {};
            entry.isDirectory = ::stat((native + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            entry.attributes = entry.isDirectory ? 0x10 : 0x20;  // directory / archive
            entries.push_back(std::move(entry));
        }
        ::closedir(dir);
        return entries;
    }

    char Separator() const override { return '/'; }
};

}  // namespace

FileSystem& HostFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace instalator::platform
