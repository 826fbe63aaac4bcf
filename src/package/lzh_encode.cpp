// The encoding half of the package codec.
#include <limits>
#include <string>

#include "common/errors.hpp"
#include "package/lzh.hpp"
#include "package/lzh_codec.hpp"
#include "package/lzh_streams.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

using common::IoError;
using lzh::AnySource;
using lzh::AnyTarget;
using lzh::EncodeLength;
using lzh::FileSource;
using lzh::FileTarget;
using lzh::SpanSource;
using lzh::VectorTarget;

constexpr int kFileTooLarge = 223;  // the platform's code for a file beyond a size limit

void Encode(AnySource source, AnyTarget target) { lzh::Encode(source, target); }

std::int32_t SourceLength(platform::File& in, const std::string& path) {
    const std::int64_t size = in.Size();
    if (size > std::numeric_limits<std::int32_t>::max()) throw IoError(kFileTooLarge, path);
    return static_cast<std::int32_t>(size);
}

}  // namespace

void CompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                  const Progress& progress) {
    const auto in = fs.Open(source, platform::OpenMode::Read);
    const auto field = EncodeLength(SourceLength(*in, source));
    const auto out = fs.Open(dest, platform::OpenMode::Create);
    if (out->Write(field.data(), field.size()) != field.size()) throw IoError(common::kDiskWriteError, dest);

    FileSource input(*in, std::numeric_limits<std::int64_t>::max());
    FileTarget output(*out, dest, static_cast<std::int64_t>(field.size()), progress, true);
    Encode(AnySource(input), AnyTarget(output));
    in->Close();
    out->Close();
}

std::vector<std::uint8_t> CompressBytes(std::span<const std::uint8_t> data) {
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw StreamError("LZH: data of " + std::to_string(data.size()) + " bytes exceeds the length field");
    }
    const auto field = EncodeLength(static_cast<std::int32_t>(data.size()));
    std::vector<std::uint8_t> stream(field.begin(), field.end());
    SpanSource input(data);
    VectorTarget output(stream, SIZE_MAX);
    Encode(AnySource(input), AnyTarget(output));
    return stream;
}

}  // namespace instalator::package
