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

#include "common/errors.hpp"

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

namespace instalator::package {

// In-memory data the codec cannot take: more bytes than a stream's length field can
// state, or a stream too short to hold that field.
class StreamError : public common::Error {
public:
    using common::Error::Error;
};

// Told the output file's size in bytes after every 4096-byte block written and once
// after the final flush.
using Progress = std::function<void(std::int32_t bytesWritten)>;

struct DecodeResult {
    std::int64_t bytesWritten = 0;  // bytes emitted (Length, or a little more at a final match)
    bool inputExhausted = false;    // the code bits ran out before Length bytes were emitted
    bool writeFailed = false;       // a block could not be written whole (the caller may retry)
};

// Writes dest as the complete LZH stream of source. Every failure throws
// common::IoError, a block that the disk stores only in part included; a source of
// 2 GiB or more, which the length field cannot describe, throws code 223.
void CompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                  const Progress& progress = {});

// Unpacks the LZH stream source into dest. A source that cannot be opened or is too
// short for its length field, or a dest that cannot be created, throws
// common::IoError, as does a failed read of the code bits; a block write (the final
// one and the closing of dest included) that fails or stores fewer bytes than asked
// is reported in the result and decoding goes on to the end of the stream. Decoding
// stops, with inputExhausted, where the code bits of a truncated or damaged source run
// out, so dest then holds fewer than Length bytes and a lying length field costs no
// more than the source's size.
DecodeResult DecompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                            const Progress& progress = {});

// DecompressFile for files that are already open: decodes at most codeBytes of code
// bits read from in (positioned after the length field) for length output bytes into
// out, the file dest, which it closes; the same failures, results and progress reports.
DecodeResult DecodeToFile(platform::File& in, std::int64_t codeBytes, std::int32_t length, platform::File& out,
                          const std::string& dest, const Progress& progress = {});

// In-memory forms, for tools and tests: the whole stream, length field included.
// Data longer than the length field can state throws StreamError.
std::vector<std::uint8_t> CompressBytes(std::span<const std::uint8_t> data);
// Decodes a whole stream; a stream shorter than its 4-byte length field throws
// StreamError. Decoding stops early where the code bits run out (so a truncated
// stream gives fewer than Length bytes) and once limit bytes are out (the result is
// cut there), so hostile input costs time and memory in proportion to its size.
std::vector<std::uint8_t> DecompressBytes(std::span<const std::uint8_t> stream,
                                          std::size_t limit = SIZE_MAX);

// Decodes code bits read from in (positioned after the length field), at most
// codeBytes of them, for length output bytes, handing the output to sink in blocks of
// up to 4096 bytes; nothing is written to disk. Used to test a package without
// unpacking it. Decoding stops, with inputExhausted, as soon as it would need a bit
// beyond those code bytes; a read failure throws common::IoError.
using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
DecodeResult DecodeStream(platform::File& in, std::int64_t codeBytes, std::int32_t length, const Sink& sink);

}  // namespace instalator::package
