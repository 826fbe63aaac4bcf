// Decodes fuzzer-made bytes as an LZH stream (4-byte length, then code bits) three
// ways: DecompressBytes with bounded output, DecodeStream from a file of those
// bytes, and the straightforward reference decoder. None may crash or run away; the
// fast decoders stop where the code bits end, the reference reads zero bits on, so
// their output must be a prefix of the reference's.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "common/errors.hpp"
#include "package/lzh.hpp"
#include "platform/file_system.hpp"
// The fuzz programs link the library only, so the reference codec is compiled in here.
#include "../tests/support/lzh_reference.cpp"

namespace {

using namespace instalator;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kLimit = 1 << 12;  // unpacked bytes looked at per input

// The input as a read-only file.
class MemoryFile final : public platform::File {
public:
    explicit MemoryFile(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, data_.size() - pos_);
        std::memcpy(buffer, data_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    void Seek(std::int64_t offset) override { pos_ = std::min<std::size_t>(static_cast<std::size_t>(offset), data_.size()); }
    std::int64_t Position() override { return static_cast<std::int64_t>(pos_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void Truncate(std::int64_t size) override {
        data_ = data_.first(std::min<std::size_t>(static_cast<std::size_t>(size), data_.size()));
        pos_ = data_.size();
    }
    void Close() override {}

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

bool IsPrefix(const Bytes& part, const Bytes& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> stream(data, size);
    if (size < 4) {
        try {
            package::DecompressBytes(stream);
        } catch (const common::Error&) {
            return 0;
        }
        std::abort();  // a stream without its length field must be refused
    }
    const Bytes fast = package::DecompressBytes(stream, kLimit);
    const Bytes reference = testing::ReferenceDecompressBytes(stream, kLimit);
    if (!IsPrefix(fast, reference)) std::abort();

    const auto length = static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                                  (static_cast<std::uint32_t>(data[3]) << 24));
    MemoryFile file(stream);
    file.Seek(4);
    Bytes streamed;
    const package::DecodeResult result = package::DecodeStream(
        file, static_cast<std::int64_t>(size) - 4, std::min<std::int32_t>(length, kLimit),
        [&](const std::uint8_t* p, std::size_t n) { streamed.insert(streamed.end(), p, p + n); });
    if (result.bytesWritten != static_cast<std::int64_t>(streamed.size())) std::abort();
    streamed.resize(std::min(streamed.size(), kLimit));
    if (streamed != fast) std::abort();
    return 0;
}
