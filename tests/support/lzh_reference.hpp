#pragma once
// A straightforward LZH codec: the algorithm written out step by step, moving one byte
// per callback call through ReadInput/WriteOutput and 4096-byte file buffers, with the
// tables and state layout of the published LZHUF scheme. It is the oracle the fast
// codec is compared against, byte for byte, and the baseline of the benchmark.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "package/lzh.hpp"

namespace instalator::platform {
class FileSystem;
}

namespace instalator::testing {

// Fills buffer[0 .. count) as far as it can; returns how many bytes it gave (0 at the end).
using ReadInput = std::function<int(std::uint8_t* buffer, int count)>;
// Takes buffer[0 .. count) and returns how many it took; count 0 asks for a flush.
using WriteOutput = std::function<int(const std::uint8_t* buffer, int count)>;

// The code bits of everything read delivers (no length field).
void ReferenceEncode(const ReadInput& read, const WriteOutput& write);
// Decodes until length bytes are out; missing input reads as zero bits.
void ReferenceDecode(std::int32_t length, const ReadInput& read, const WriteOutput& write);

// Whole streams in memory, length field included. Decompression keeps reading zero
// bits past the end until Length bytes are out, or stops after limit bytes.
std::vector<std::uint8_t> ReferenceCompressBytes(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> ReferenceDecompressBytes(std::span<const std::uint8_t> stream,
                                                   std::size_t limit = SIZE_MAX);

// The file operations, with the buffered ReadInput/WriteOutput pair. Failures throw
// common::IoError; write failures set the result's writeFailed.
void ReferenceCompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                           const package::Progress& progress = {});
package::DecodeResult ReferenceDecompressFile(platform::FileSystem& fs, const std::string& source,
                                              const std::string& dest, const package::Progress& progress = {});

}  // namespace instalator::testing
