#pragma once
// The LZH stream format of package entries: a 4-byte little-endian length of the
// unpacked data, then LZHUF code bits (LZSS over a 4096-byte ring, adaptive Huffman
// coding of literals and match lengths, a fixed prefix code for match positions).
// The encoder's choices are fixed, so a given input always gives the same bytes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

namespace instalator::package {

// Told the output file's size in bytes after every 4096-byte block written and once
// after the final flush.
using Progress = std::function<void(std::int32_t bytesWritten)>;

struct DecodeResult {
    std::int64_t bytesWritten = 0;  // bytes emitted (Length, or a little more at a final match)
    bool inputExhausted = false;    // the code bits ran out before Length bytes were emitted
    bool writeFailed = false;       // a block could not be written whole (the caller may retry)
};

// Writes dest as the complete LZH stream of source. Every failure throws
// common::IoError.
void CompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                  const Progress& progress = {});

// Unpacks the LZH stream source into dest. A source that cannot be opened or is too
// short for its length field, or a dest that cannot be created, throws
// common::IoError; a block write that fails or stores fewer bytes than asked is
// reported in the result and decoding goes on to the end of the stream.
DecodeResult DecompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                            const Progress& progress = {});

// In-memory forms, for tools and tests: the whole stream, length field included.
std::vector<std::uint8_t> CompressBytes(std::span<const std::uint8_t> data);
// Decodes a whole stream; a stream shorter than its 4-byte length field throws
// common::Error. Output beyond limit bytes is not kept (the result is cut).
std::vector<std::uint8_t> DecompressBytes(std::span<const std::uint8_t> stream,
                                          std::size_t limit = SIZE_MAX);

// Decodes code bits read from in (positioned after the length field), at most
// packedSize bytes of them, for length output bytes, handing the output to sink in
// blocks; nothing is written to disk. Used to test a package without unpacking it.
using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
DecodeResult DecodeStream(platform::File& in, std::int64_t codeBytes, std::int32_t length, const Sink& sink);

}  // namespace instalator::package
