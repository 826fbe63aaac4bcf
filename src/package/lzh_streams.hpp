#pragma once
// The sources and targets the codec reads and writes through, shared by the decoding
// and the encoding halves of the package codec (kept in separate files, so that a
// program that only unpacks carries no encoder).

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.hpp"
#include "common/little_endian.hpp"
#include "package/lzh.hpp"
#include "package/lzh_codec.hpp"
#include "platform/file_system.hpp"

namespace instalator::package::lzh {

// The stream's 4-byte length field.
using LengthField = std::array<std::uint8_t, 4>;

inline LengthField EncodeLength(std::int32_t length) {
    LengthField field{};
    common::StoreI32(field, 0, length);
    return field;
}

// --- Sources -------------------------------------------------------------------------

// A file read in 4096-byte blocks, at most `limit` bytes of it.
class FileSource {
public:
    FileSource(platform::File& file, std::int64_t limit) : file_(file), left_(std::max<std::int64_t>(limit, 0)) {}

    std::span<const std::uint8_t> Next() {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left_, lzh::kBlockSize));
        const std::size_t got = want == 0 ? 0 : file_.Read(buffer_.data(), want);
        left_ -= static_cast<std::int64_t>(got);
        return {buffer_.data(), got};
    }

private:
    platform::File& file_;
    std::int64_t left_;
    std::array<std::uint8_t, lzh::kBlockSize> buffer_;
};

// Bytes in memory, handed out at once.
class SpanSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> data) : data_(data) {}

    std::span<const std::uint8_t> Next() { return std::exchange(data_, {}); }

private:
    std::span<const std::uint8_t> data_;
};

// --- Targets -------------------------------------------------------------------------

// An output file written block by block, telling Progress its size after every block.
// A block that cannot be stored whole either throws (strict) or is noted in failed().
class FileTarget {
public:
    FileTarget(platform::File& file, std::string path, std::int64_t size, const Progress& progress, bool strict)
        : file_(file), path_(std::move(path)), size_(size), progress_(progress), strict_(strict) {}

    void Write(const std::uint8_t* data, std::size_t size) {
        Store(data, size);
        if (progress_) progress_(static_cast<std::int32_t>(std::min<std::int64_t>(size_, INT32_MAX)));
    }
    bool Full() const { return false; }
    bool failed() const { return failed_; }
    void NoteFailure() { failed_ = true; }

private:
    void Store(const std::uint8_t* data, std::size_t size) {
        std::size_t stored = 0;
        try {
            stored = size == 0 ? 0 : file_.Write(data, size);
        } catch (const common::IoError&) {
            if (strict_) throw;
            failed_ = true;
        }
        size_ += static_cast<std::int64_t>(stored);
        if (stored == size) return;
        if (strict_) throw common::IoError(common::kDiskWriteError, path_);
        failed_ = true;
    }

    platform::File& file_;
    std::string path_;
    std::int64_t size_;
    const Progress& progress_;
    bool strict_;
    bool failed_ = false;
};

// Memory, keeping at most `limit` bytes.
class VectorTarget {
public:
    VectorTarget(std::vector<std::uint8_t>& bytes, std::size_t limit) : bytes_(bytes), limit_(limit) {}

    void Write(const std::uint8_t* data, std::size_t size) {
        const std::size_t keep = std::min(size, limit_ - bytes_.size());
        bytes_.insert(bytes_.end(), data, data + keep);
    }
    bool Full() const { return bytes_.size() >= limit_; }

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t limit_;
};

class SinkTarget {
public:
    explicit SinkTarget(const Sink& sink) : sink_(sink) {}

    void Write(const std::uint8_t* data, std::size_t size) {
        if (size > 0 && sink_) sink_(data, size);
    }
    bool Full() const { return false; }

private:
    const Sink& sink_;
};

// Any source or target behind a function pointer per call, so that every file and
// memory operation shares one instantiation of the decoder and one of the encoder (the
// installer carries each once). It costs an indirect call per chunk or block, which
// are 4096 bytes (a memory source hands out everything at once).
class AnySource {
public:
    template <class Source>
    explicit AnySource(Source& source)
        : source_(&source), next_([](void* s) { return static_cast<Source*>(s)->Next(); }) {}

    std::span<const std::uint8_t> Next() { return next_(source_); }

private:
    void* source_;
    std::span<const std::uint8_t> (*next_)(void*);
};

class AnyTarget {
public:
    template <class Target>
    explicit AnyTarget(Target& target)
        : target_(&target),
          write_([](void* t, const std::uint8_t* data, std::size_t size) { static_cast<Target*>(t)->Write(data, size); }),
          full_([](const void* t) { return static_cast<const Target*>(t)->Full(); }) {}

    void Write(const std::uint8_t* data, std::size_t size) { write_(target_, data, size); }
    bool Full() const { return full_(target_); }

private:
    void* target_;
    void (*write_)(void*, const std::uint8_t*, std::size_t);
    bool (*full_)(const void*);
};

}  // namespace instalator::package::lzh
