// Reads fuzzer-made bytes as an uninstall log Setup.uni: reading must end in a log
// or a LogError, never a crash; every path of an accepted log must be one the
// uninstaller may act on (plain, absolute, not a protected directory) and every link
// must lie in its own group folder.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/errors.hpp"
#include "common/text.hpp"
#include "uninstall/log_file.hpp"

namespace {

using namespace instalator;

// One read-only file in memory; every other request fails.
class OneFile final : public platform::FileSystem {
public:
    explicit OneFile(std::string bytes) : bytes_(std::move(bytes)) {}

    std::unique_ptr<platform::File> Open(const std::string&, platform::OpenMode) override {
        return std::make_unique<Reader>(bytes_);
    }
    bool FileExists(const std::string&) override { return true; }
    bool DirectoryExists(const std::string&) override { return false; }
    void RemoveFile(const std::string& path) override { Refuse(path); }
    void RenameFile(const std::string& from, const std::string&) override { Refuse(from); }
    void CreateDirectory(const std::string& path) override { Refuse(path); }
    void RemoveDirectory(const std::string& path) override { Refuse(path); }
    std::vector<platform::DirectoryEntry> ListDirectory(const std::string& path) override { Refuse(path); }
    char Separator() const override { return '\\'; }

private:
    [[noreturn]] static void Refuse(const std::string& path) { throw common::IoError(common::kAccessDenied, path); }

    class Reader final : public platform::File {
    public:
        explicit Reader(const std::string& bytes) : bytes_(bytes) {}
        std::size_t Read(void* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, n);
            at_ += n;
            return n;
        }
        std::size_t Write(const void*, std::size_t) override { return 0; }
        void Seek(std::int64_t offset) override { at_ = std::min(static_cast<std::size_t>(offset), bytes_.size()); }
        std::int64_t Position() override { return static_cast<std::int64_t>(at_); }
        std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
        void Truncate(std::int64_t) override {}
        void Close() override {}

    private:
        const std::string& bytes_;
        std::size_t at_ = 0;
    };

    std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OneFile files(std::string(reinterpret_cast<const char*>(data), size));
    const uninstall::ProtectedDirectories kept("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
    try {
        const uninstall::UninstallLog log = uninstall::ReadUninstallLog(files, "C:\\APP\\Setup.uni", kept);
        for (const uninstall::LoggedFile& file : log.files) {
            if (!uninstall::IsPlainAbsolutePath(file.path) || kept.Contains(file.path)) std::abort();
        }
        for (const uninstall::LoggedLink& link : log.links) {
            if (!uninstall::IsPlainAbsolutePath(link.path) || kept.Contains(link.directory) ||
                !common::SameText(uninstall::ParentOf(link.path), link.directory))
                std::abort();
        }
    } catch (const uninstall::LogError&) {
    }
    return 0;
}
