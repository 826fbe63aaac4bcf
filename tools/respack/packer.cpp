#include "packer.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "common/errors.hpp"
#include "common/little_endian.hpp"
#include "package/catalogue.hpp"
#include "package/lzh.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"

namespace instalator::respack {
namespace {

constexpr std::size_t kCopyBlock = 1 << 16;

std::uint32_t StreamCrc(platform::FileSystem& fs, const std::string& path, std::int64_t& size) {
    const auto file = fs.Open(path, platform::OpenMode::Read);
    std::vector<std::uint8_t> block(kCopyBlock);
    std::uint32_t crc = 0;
    size = 0;
    while (const std::size_t got = file->Read(block.data(), block.size())) {
        crc = package::Crc32(crc, block.data(), got);
        size += static_cast<std::int64_t>(got);
    }
    return crc;
}

PackedFile PackOne(platform::FileSystem& fs, const std::string& source, const std::string& stream) {
    PackedFile packed;
    packed.source = source;
    packed.stream = stream;
    std::int64_t size = fs.Open(source, platform::OpenMode::Read)->Size();
    if (size > package::kMaxPackageSize) {
        throw package::FormatError(source + ": " + std::to_string(size) + " bytes is too large for a package");
    }
    packed.unpackedSize = static_cast<std::int32_t>(size);
    packed.version = package::ReadFileVersion(fs, source);
    package::CompressFile(fs, source, stream);
    packed.crc = StreamCrc(fs, stream, size);
    if (size > package::kMaxPackageSize) throw package::FormatError(source + ": the packed stream is too large");
    packed.packedSize = static_cast<std::int32_t>(size);
    return packed;
}

void WriteAll(platform::File& file, const void* data, std::size_t size, const std::string& path) {
    if (file.Write(data, size) != size) throw common::IoError(common::kDiskWriteError, path);
}

// The catalogue of the entries and its stream; empty when 128 entries leave no room.
struct CatalogueStream {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> stream;
};

CatalogueStream MakeCatalogue(const std::vector<VolumeEntry>& entries) {
    if (entries.size() >= package::kMaxEntries) return {};
    std::vector<package::CatalogueRecord> records;
    for (const VolumeEntry& entry : entries) {
        records.push_back({entry.name, entry.file->crc, entry.file->unpackedSize, entry.file->packedSize});
    }
    CatalogueStream catalogue;
    catalogue.bytes = package::Catalogue(std::move(records)).Encode();
    catalogue.stream = package::CompressBytes(catalogue.bytes);
    return catalogue;
}

std::int64_t Layout(const std::vector<VolumeEntry>& entries, const CatalogueStream& catalogue) {
    std::int64_t size = static_cast<std::int64_t>(package::kHeaderSize);
    for (const VolumeEntry& entry : entries) size += entry.file->packedSize + static_cast<std::int64_t>(package::kEntrySize);
    if (!catalogue.stream.empty()) size += static_cast<std::int64_t>(catalogue.stream.size() + package::kEntrySize);
    return size;
}

// Packs file i of sources into a stream file of the scratch directory; a failure is
// kept with the file (to be thrown in order later) and gives false.
bool PackAt(platform::FileSystem& fs, const std::vector<std::string>& sources, const std::string& scratchDir,
            std::size_t i, std::vector<PackedFile>& packed) {
    try {
        packed[i] = PackOne(fs, sources[i], scratchDir + "stream" + std::to_string(i) + ".lzh");
        return true;
    } catch (...) {
        packed[i].source = sources[i];
        packed[i].failure = std::current_exception();
        return false;
    }
}

}  // namespace

#if defined(_GLIBCXX_HAS_GTHREADS)

unsigned DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::vector<PackedFile> PackFiles(platform::FileSystem& fs, const std::vector<std::string>& sources,
                                  const std::string& scratchDir, unsigned threads, const PackProgress& progress) {
    std::vector<PackedFile> packed(sources.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstFailed{sources.size()};
    std::atomic<std::int64_t> done{0};
    std::size_t running = 0;
    std::mutex mutex;
    std::condition_variable changed;

    auto work = [&] {
        for (std::size_t i = next++; i < firstFailed; i = next++) {
            if (PackAt(fs, sources, scratchDir, i, packed)) {
                done += packed[i].unpackedSize;
            } else {
                // Files after a failed one are not started; those before it all are.
                for (std::size_t seen = firstFailed; i < seen && !firstFailed.compare_exchange_weak(seen, i);) {
                }
            }
            changed.notify_all();
        }
        const std::lock_guard lock(mutex);
        --running;
        changed.notify_all();
    };

    threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(sources.size(), 1))));
    std::vector<std::thread> pool;
    running = threads;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    std::thread reporter;
    if (progress) {
        reporter = std::thread([&] {
            std::unique_lock lock(mutex);
            while (running > 0) {
                changed.wait_for(lock, std::chrono::milliseconds(200));
                const std::int64_t now = done;
                lock.unlock();
                progress(now);
                lock.lock();
            }
        });
    }
    work();  // this thread packs too
    for (std::thread& thread : pool) thread.join();
    if (reporter.joinable()) reporter.join();
    return packed;
}

#else

// A runtime without threads (the Windows build's, chosen for the installer's size):
// the files are packed one after another, with the same results.
unsigned DefaultThreads() { return 1; }

std::vector<PackedFile> PackFiles(platform::FileSystem& fs, const std::vector<std::string>& sources,
                                  const std::string& scratchDir, unsigned, const PackProgress& progress) {
    std::vector<PackedFile> packed(sources.size());
    std::int64_t done = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (!PackAt(fs, sources, scratchDir, i, packed)) break;  // files after a failed one are not started
        done += packed[i].unpackedSize;
        if (progress) progress(done);
    }
    return packed;
}

#endif

void ThrowFirstFailure(const std::vector<PackedFile>& packed) {
    for (const PackedFile& file : packed) {
        if (file.failure) std::rethrow_exception(file.failure);
    }
}

std::int64_t VolumeBytes(const std::vector<VolumeEntry>& entries) { return Layout(entries, MakeCatalogue(entries)); }

void WriteVolume(platform::FileSystem& fs, const std::string& path, const std::vector<VolumeEntry>& entries) {
    if (entries.size() > package::kMaxEntries) {
        throw package::FormatError("the volume would hold " + std::to_string(entries.size()) +
                                   " entries, more than the 128 a volume holds");
    }
    const CatalogueStream catalogue = MakeCatalogue(entries);
    const std::int64_t size = Layout(entries, catalogue);
    if (size > package::kMaxPackageSize) {
        throw package::FormatError("the volume would grow to " + std::to_string(size) + " bytes, beyond 2147483647");
    }
    // Every offset is known before the first byte is written: each entry follows its
    // stream and names the entry after the next stream.
    std::vector<package::TResourceEntry> directory;
    std::int64_t at = static_cast<std::int64_t>(package::kHeaderSize);
    auto add = [&](const std::string& name, std::int32_t unpacked, std::int32_t packed, package::FileVersion version) {
        package::TResourceEntry entry;
        entry.EntryName = name;
        entry.UnpackedSize = unpacked;
        entry.FileVersion = version;
        entry.DataOffset = static_cast<std::int32_t>(at);
        entry.PackedSize = packed;
        at += packed + static_cast<std::int64_t>(package::kEntrySize);
        entry.NextEntry = -1;
        if (!directory.empty()) directory.back().NextEntry = entry.DataOffset + packed;
        directory.push_back(std::move(entry));
    };
    for (const VolumeEntry& entry : entries) {
        add(entry.name, entry.file->unpackedSize, entry.file->packedSize, entry.file->version);
    }
    if (!catalogue.stream.empty()) {
        add(std::string(package::kCatalogueName), static_cast<std::int32_t>(catalogue.bytes.size()),
            static_cast<std::int32_t>(catalogue.stream.size()), {});
    }

    package::TResourceHeader header = package::TResourceHeader::New();
    if (!directory.empty()) header.SetFirstEntry(directory.front().DataOffset + directory.front().PackedSize);
    const auto out = fs.Open(path, platform::OpenMode::Create);
    WriteAll(*out, header.Bytes.data(), header.Bytes.size(), path);
    std::vector<std::uint8_t> block(kCopyBlock);
    for (std::size_t i = 0; i < directory.size(); ++i) {
        if (i < entries.size()) {
            const auto in = fs.Open(entries[i].file->stream, platform::OpenMode::Read);
            std::int64_t copied = 0;
            while (const std::size_t got = in->Read(block.data(), block.size())) {
                WriteAll(*out, block.data(), got, path);
                copied += static_cast<std::int64_t>(got);
            }
            if (copied != entries[i].file->packedSize) throw common::IoError(common::kDiskReadError, entries[i].file->stream);
        } else {
            WriteAll(*out, catalogue.stream.data(), catalogue.stream.size(), path);
        }
        const auto bytes = directory[i].Encode();
        WriteAll(*out, bytes.data(), bytes.size(), path);
    }
    out->Close();
}

}  // namespace instalator::respack
