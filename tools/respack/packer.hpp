#pragma once
// Packing many files at once: every file is compressed into a stream file of its
// own on as many threads as asked, then volumes are written from those streams in
// the order given. Each thread streams its file through the codec in blocks, so
// memory stays small whatever the files' sizes; the bytes of a volume do not depend
// on the number of threads.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "package/version.hpp"

namespace instalator::platform {
class FileSystem;
}

namespace instalator::respack {

// One packed file: its LZH stream in the scratch directory and what a directory
// entry and the catalogue record of it need.
struct PackedFile {
    std::string source;  // host path of the file
    std::string stream;  // host path of its stream
    std::int32_t unpackedSize = 0;
    std::int32_t packedSize = 0;
    package::FileVersion version;
    std::uint32_t crc = 0;  // CRC-32 of the stream
    std::exception_ptr failure;  // set when this file could not be packed
};

// Told the number of source bytes packed so far, on the calling thread.
using PackProgress = std::function<void(std::int64_t done)>;

// Packs each source into scratchDir (which ends with the separator) on up to
// `threads` threads; the result is in the order of sources. A file that fails (a
// missing file, a file of 2 GiB or more, a full disk) has its failure recorded, and
// files after it are not started: every file before the first failure is packed.
std::vector<PackedFile> PackFiles(platform::FileSystem& fs, const std::vector<std::string>& sources,
                                  const std::string& scratchDir, unsigned threads, const PackProgress& progress);

// Throws the failure of the first file that failed, if any.
void ThrowFirstFailure(const std::vector<PackedFile>& packed);

// One entry of a volume: a packed file under an entry name.
struct VolumeEntry {
    std::string name;
    const PackedFile* file = nullptr;
};

// The size in bytes of the volume of these entries, its catalogue included when
// there is room for one.
std::int64_t VolumeBytes(const std::vector<VolumeEntry>& entries);

// Writes the volume at path: the entries in order, then the integrity catalogue
// when fewer than 128 entries leave room for it. Throws package::FormatError before
// writing anything when the volume would pass 128 entries or 2^31-1 bytes.
void WriteVolume(platform::FileSystem& fs, const std::string& path, const std::vector<VolumeEntry>& entries);

// The number of threads to pack on by default: every core.
unsigned DefaultThreads();

}  // namespace instalator::respack
