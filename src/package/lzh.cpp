#include "package/lzh.hpp"

#include <array>
#include <limits>

#include "common/errors.hpp"
#include "common/little_endian.hpp"
#include "package/lzh_codec.hpp"
#include "package/lzh_streams.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

using common::IoError;
using lzh::AnySource;
using lzh::AnyTarget;
using lzh::FileSource;
using lzh::FileTarget;
using lzh::LengthField;
using lzh::SinkTarget;
using lzh::SpanSource;
using lzh::VectorTarget;

DecodeResult Decode(std::int32_t length, AnySource source, AnyTarget target) {
    return lzh::Decode(length, source, target, true);
}

std::int32_t ReadLength(platform::File& in, const std::string& path) {
    LengthField field{};
    if (in.Read(field.data(), field.size()) != field.size()) throw IoError(common::kDiskReadError, path);
    return common::LoadI32(field, 0);
}

}  // namespace

DecodeResult DecompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                            const Progress& progress) {
    const auto in = fs.Open(source, platform::OpenMode::Read);
    const std::int32_t length = ReadLength(*in, source);
    const auto out = fs.Open(dest, platform::OpenMode::Create);
    return DecodeToFile(*in, std::numeric_limits<std::int64_t>::max(), length, *out, dest, progress);
}

DecodeResult DecodeToFile(platform::File& in, std::int64_t codeBytes, std::int32_t length, platform::File& out,
                          const std::string& dest, const Progress& progress) {
    FileSource input(in, codeBytes);
    FileTarget output(out, dest, 0, progress, false);
    DecodeResult result = Decode(length, AnySource(input), AnyTarget(output));
    try {
        out.Close();
    } catch (const IoError&) {
        output.NoteFailure();  // the last bytes may not have reached the disk
    }
    result.writeFailed = output.failed();
    return result;
}

std::vector<std::uint8_t> DecompressBytes(std::span<const std::uint8_t> stream, std::size_t limit) {
    if (stream.size() < 4) {
        throw StreamError("LZH: a stream of " + std::to_string(stream.size()) + " bytes has no length field");
    }
    std::vector<std::uint8_t> bytes;
    SpanSource input(stream.subspan(4));
    VectorTarget output(bytes, limit);
    Decode(common::LoadI32(stream, 0), AnySource(input), AnyTarget(output));
    return bytes;
}

DecodeResult DecodeStream(platform::File& in, std::int64_t codeBytes, std::int32_t length, const Sink& sink) {
    FileSource input(in, codeBytes);
    SinkTarget output(sink);
    return Decode(length, AnySource(input), AnyTarget(output));
}

}  // namespace instalator::package
