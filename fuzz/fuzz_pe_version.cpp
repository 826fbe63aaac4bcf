// Feeds arbitrary bytes to the file-version reader as if they were a file. It must
// return (zeros or some version) without reading out of bounds, looping or throwing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "package/version.hpp"
#include "platform/file_system.hpp"

namespace {

// A read-only file over the fuzzer's bytes.
class MemoryFile final : public instalator::platform::File {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        if (position_ >= size_) return 0;
        const std::size_t count = std::min(size, size_ - position_);
        std::memcpy(buffer, data_ + position_, count);
        position_ += count;
        return count;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    void Seek(std::int64_t offset) override {
        position_ = offset < 0 ? size_ : static_cast<std::size_t>(offset);
    }
    std::int64_t Position() override { return static_cast<std::int64_t>(position_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
    void Truncate(std::int64_t size) override {
        size_ = std::min(size_, static_cast<std::size_t>(size));
        position_ = size_;
    }
    void Close() override {}

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    const instalator::package::FileVersion version = instalator::package::ReadFileVersion(file);
    // A version can only come from a file long enough to hold the headers and the
    // version block's fixed part.
    if (version != instalator::package::FileVersion{} && size < 64 + 24 + 92) __builtin_trap();
    return 0;
}
