#include "package/resource.hpp"

#include <algorithm>
#include <cstring>

#include "common/little_endian.hpp"
#include "common/strings.hpp"
#include "package/catalogue.hpp"
#include "common/text.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

using common::IntToText;

constexpr std::string_view kMagic = "Quill07 Setup Resource - archive format v1998";
constexpr std::string_view kDescription = "Quill07 Instalation...";

// Header fields.
constexpr std::size_t kMagicAt = 0;
constexpr std::size_t kFlagsAt = 81;  // two bytes, both 1 in a new package
constexpr std::size_t kDescriptionAt = 83;

// Entry fields.
constexpr std::size_t kUnpackedSizeAt = 84;
constexpr std::size_t kFileVersionAt = 88;
constexpr std::size_t kDataOffsetAt = 108;
constexpr std::size_t kPackedSizeAt = 112;

// The length field at the start of every LZH stream.
constexpr std::int32_t kStreamLengthField = 4;
constexpr std::size_t kCopyBlock = 2048;

using common::LoadI32;
using common::LoadU16;
using common::StoreI32;
using common::StoreU16;

void StoreText(std::span<std::uint8_t> bytes, std::size_t at, std::string_view text) {
    bytes[at] = static_cast<std::uint8_t>(text.size());
    std::memcpy(bytes.data() + at + 1, text.data(), text.size());
}

std::string Text(std::int64_t value) { return std::to_string(value); }

// "entry 3" before the entry is read, "entry 3 "name" at offset 400" after.
std::string Place(std::size_t place) { return "entry " + Text(static_cast<std::int64_t>(place)); }

std::string Where(const TResourceEntry& entry, std::int64_t offset, std::size_t place) {
    return Place(place) + " \"" + entry.EntryName + "\" at offset " + Text(offset) + ": ";
}

// Reads exactly bytes.size() bytes at offset; false when the file ends first.
bool ReadAt(platform::File& file, std::int64_t offset, std::span<std::uint8_t> bytes) {
    file.Seek(offset);
    return file.Read(bytes.data(), bytes.size()) == bytes.size();
}

void WriteAll(platform::File& file, std::span<const std::uint8_t> bytes, const std::string& path) {
    if (file.Write(bytes.data(), bytes.size()) != bytes.size()) throw common::IoError(common::kDiskWriteError, path);
}

void CheckEntryOffset(std::int64_t offset, std::size_t place, std::int64_t fileSize, const PackageDirectory& dir) {
    const std::string at = Place(place) + ": offset " + Text(offset);
    if (offset < 0) throw FormatError(at + " is negative");
    if (offset < static_cast<std::int64_t>(kHeaderSize)) throw FormatError(at + " lies inside the 168-byte header");
    if (offset >= fileSize) throw FormatError(at + " is beyond the end of the file (" + Text(fileSize) + " bytes)");
    const auto seen = std::find(dir.Offsets.begin(), dir.Offsets.end(), offset);
    if (seen != dir.Offsets.end()) {
        throw FormatError(at + " is that of entry " + Text(seen - dir.Offsets.begin() + 1) + ", the entry chain loops");
    }
    if (fileSize - offset < static_cast<std::int64_t>(kEntrySize)) {
        throw FormatError(Place(place) + " at offset " + Text(offset) + " is cut short by the end of the file (" +
                          Text(fileSize - offset) + " of 124 bytes)");
    }
}

TResourceEntry ReadEntry(platform::File& file, std::int64_t offset, std::size_t place) {
    std::array<std::uint8_t, kEntrySize> bytes{};
    const std::string at = Place(place) + " at offset " + Text(offset);
    if (!ReadAt(file, offset, bytes)) throw FormatError(at + " is cut short by the end of the file");
    if (bytes[0] > kMaxEntryName) {
        throw FormatError(at + ": name length " + Text(bytes[0]) + " is above 80 characters");
    }
    return TResourceEntry::Decode(bytes);
}

// A package already at 128 entries, or one that would outgrow signed 32-bit
// offsets, is refused before anything is written.
void CheckRoom(const PackageDirectory& dir, std::int64_t newSize) {
    if (dir.Entries.size() >= kMaxEntries) throw FormatError("the package already holds 128 entries");
    if (newSize > kMaxPackageSize) {
        throw FormatError("the package would grow to " + Text(newSize) + " bytes, beyond 2147483647");
    }
}

// Only a plain file name may be unpacked into the temporary directory.
bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20;
    });
}

// The catalogue was written from the package as its publisher made it: any other
// bytes or sizes mean damage on the way.
void CheckSizesAgainstCatalogue(const TResourceEntry& entry, const CatalogueRecord& expected) {
    if (entry.PackedSize != expected.packedSize || entry.UnpackedSize != expected.unpackedSize) {
        throw DamagedEntry("entry \"" + entry.EntryName + "\": sizes " + Text(entry.PackedSize) + " packed, " +
                           Text(entry.UnpackedSize) + " unpacked differ from the catalogue's " +
                           Text(expected.packedSize) + ", " + Text(expected.unpackedSize));
    }
}

std::string CutShort(const TResourceEntry& entry, std::int64_t stored) {
    return "entry \"" + entry.EntryName + "\": the stream is cut short by the end of the package (" + Text(stored) +
           " of " + Text(entry.PackedSize) + " bytes)";
}

// A package file read in order from an entry's stream, keeping the CRC-32 and the
// count of the bytes read, so that the stream is checked as the decoder reads it.
class StreamReader final : public platform::File {
public:
    explicit StreamReader(platform::File& file) : file_(file) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t got = file_.Read(buffer, size);
        crc_ = Crc32(crc_, buffer, got);
        count_ += static_cast<std::int64_t>(got);
        return got;
    }
    // Reads on to the end of a stream of size bytes; fewer when the file ends first.
    void ReadTo(std::int64_t size) {
        std::array<std::uint8_t, kCopyBlock> block{};
        while (count_ < size) {
            if (Read(block.data(), static_cast<std::size_t>(std::min<std::int64_t>(size - count_, kCopyBlock))) == 0) {
                return;
            }
        }
    }
    std::uint32_t Crc() const { return crc_; }
    std::int64_t Count() const { return count_; }

    std::size_t Write(const void*, std::size_t) override { throw common::Error("a package stream is only read"); }
    void Seek(std::int64_t) override { throw common::Error("a package stream is read in order"); }
    std::int64_t Position() override { return file_.Position(); }
    std::int64_t Size() override { return file_.Size(); }
    void Truncate(std::int64_t) override { throw common::Error("a package stream is only read"); }
    void Close() override {}

private:
    platform::File& file_;
    std::uint32_t crc_ = 0;
    std::int64_t count_ = 0;
};

void RemoveQuietly(platform::FileSystem& fs, const std::string& path) {
    try {
        fs.RemoveFile(path);
    } catch (const common::IoError&) {
        // Then it stays; the caller learns of the damage all the same.
    }
}

}  // namespace

TResourceHeader TResourceHeader::New() {
    TResourceHeader header;
    StoreText(header.Bytes, kMagicAt, kMagic);
    header.Bytes[kFlagsAt] = 1;
    header.Bytes[kFlagsAt + 1] = 1;
    StoreText(header.Bytes, kDescriptionAt, kDescription);
    header.SetFirstEntry(-1);
    return header;
}

std::int32_t TResourceHeader::FirstEntry() const { return LoadI32(Bytes, kFirstEntryAt); }

void TResourceHeader::SetFirstEntry(std::int32_t offset) { StoreI32(Bytes, kFirstEntryAt, offset); }

bool TResourceHeader::HasMagic() const {
    return Bytes[kMagicAt] == kMagic.size() &&
           std::memcmp(Bytes.data() + kMagicAt + 1, kMagic.data(), kMagic.size()) == 0;
}

std::array<std::uint8_t, kEntrySize> TResourceEntry::Encode() const {
    if (EntryName.size() > kMaxEntryName) {
        throw FormatError("entry name \"" + EntryName + "\" is longer than 80 characters");
    }
    std::array<std::uint8_t, kEntrySize> bytes{};
    StoreText(bytes, 0, EntryName);
    StoreI32(bytes, kUnpackedSizeAt, UnpackedSize);
    StoreU16(bytes, kFileVersionAt, FileVersion.major);
    StoreU16(bytes, kFileVersionAt + 2, FileVersion.minor);
    StoreU16(bytes, kFileVersionAt + 4, FileVersion.release);
    StoreU16(bytes, kFileVersionAt + 6, FileVersion.build);
    StoreI32(bytes, kDataOffsetAt, DataOffset);
    StoreI32(bytes, kPackedSizeAt, PackedSize);
    StoreI32(bytes, kNextEntryAt, NextEntry);
    return bytes;
}

TResourceEntry TResourceEntry::Decode(std::span<const std::uint8_t, kEntrySize> bytes) {
    if (bytes[0] > kMaxEntryName) throw FormatError("name length " + Text(bytes[0]) + " is above 80 characters");
    TResourceEntry entry;
    entry.EntryName.assign(reinterpret_cast<const char*>(bytes.data() + 1), bytes[0]);
    entry.UnpackedSize = LoadI32(bytes, kUnpackedSizeAt);
    entry.FileVersion = {LoadU16(bytes, kFileVersionAt), LoadU16(bytes, kFileVersionAt + 2),
                         LoadU16(bytes, kFileVersionAt + 4), LoadU16(bytes, kFileVersionAt + 6)};
    entry.DataOffset = LoadI32(bytes, kDataOffsetAt);
    entry.PackedSize = LoadI32(bytes, kPackedSizeAt);
    entry.NextEntry = LoadI32(bytes, kNextEntryAt);
    return entry;
}

void CheckEntry(const TResourceEntry& entry, std::int64_t offset, std::size_t place) {
    const std::string at = Where(entry, offset, place);
    if (entry.EntryName.size() > kMaxEntryName) throw FormatError(at + "name longer than 80 characters");
    if (entry.UnpackedSize < 0) throw FormatError(at + "negative unpacked size " + Text(entry.UnpackedSize));
    if (entry.PackedSize < 0) throw FormatError(at + "negative packed size " + Text(entry.PackedSize));
    if (entry.PackedSize < kStreamLengthField) {
        throw FormatError(at + "packed size " + Text(entry.PackedSize) + " is shorter than the 4-byte stream length");
    }
    if (entry.DataOffset < 0) throw FormatError(at + "negative data offset " + Text(entry.DataOffset));
    if (entry.DataOffset < static_cast<std::int64_t>(kHeaderSize)) {
        throw FormatError(at + "data offset " + Text(entry.DataOffset) + " lies inside the 168-byte header");
    }
    if (std::int64_t{entry.DataOffset} + entry.PackedSize > offset) {
        throw FormatError(at + "data (" + Text(entry.PackedSize) + " bytes at offset " + Text(entry.DataOffset) +
                          ") runs past the entry");
    }
}

void ReadDirectory(platform::File& file, std::int64_t fileSize, PackageDirectory& dir) {
    if (fileSize < static_cast<std::int64_t>(kHeaderSize) || !ReadAt(file, 0, dir.Header.Bytes)) {
        throw FormatError("not a package (shorter than its 168-byte header: " + Text(fileSize) + " bytes)");
    }
    std::int64_t next = dir.Header.FirstEntry();
    while (next != -1) {
        const std::size_t place = dir.Entries.size() + 1;
        if (place > kMaxEntries) throw FormatError("more than 128 entries in the entry chain");
        CheckEntryOffset(next, place, fileSize, dir);
        TResourceEntry entry = ReadEntry(file, next, place);
        CheckEntry(entry, next, place);
        dir.Offsets.push_back(next);
        next = entry.NextEntry;
        dir.Entries.push_back(std::move(entry));
    }
}

void WriteEmptyPackage(platform::FileSystem& fs, const std::string& path) {
    const auto file = fs.Open(path, platform::OpenMode::Create);
    WriteAll(*file, TResourceHeader::New().Bytes, path);
    file->Close();
}

TResourceClass::TResourceClass(platform::FileSystem& fs, std::string tempDir) : fs_(fs), tempDir_(std::move(tempDir)) {}

TResourceClass::~TResourceClass() = default;

std::string TResourceClass::ScratchPath() const { return tempDir_ + std::string(kScratchName); }

void TResourceClass::Reload(bool hold) {
    held_.reset();
    PackageDirectory dir;
    try {
        auto file = fs_.Open(packagePath_, platform::OpenMode::Read);
        ReadDirectory(*file, file->Size(), dir);
        if (hold) {
            held_ = std::move(file);
        } else {
            file->Close();
        }
    } catch (const common::Error&) {
        entries_ = std::move(dir.Entries);
        throw;
    }
    entries_ = std::move(dir.Entries);
}

bool TResourceClass::OpenPackage(const std::string& path) {
    held_.reset();
    packagePath_ = path;
    if (!fs_.FileExists(path)) return false;
    entries_.clear();
    try {
        Reload();
        return true;
    } catch (const FormatError&) {
        return false;
    } catch (const common::IoError&) {
        return false;
    }
}

bool TResourceClass::OpenAndHold(const std::string& path) {
    held_.reset();
    entries_.clear();
    packagePath_ = path;
    if (!fs_.FileExists(path)) return false;
    try {
        Reload(true);
        return true;
    } catch (const FormatError&) {
        return false;
    } catch (const common::IoError&) {
        return false;
    }
}

void TResourceClass::Release() { held_.reset(); }

const TResourceEntry* TResourceClass::Find(std::string_view name) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const TResourceEntry& entry) { return common::SameText(entry.EntryName, name); });
    return found == entries_.end() ? nullptr : &*found;
}

TResourceEntry TResourceClass::FindEntry(std::string_view name) const {
    const TResourceEntry* entry = Find(name);
    return entry == nullptr ? TResourceEntry{} : *entry;
}

std::string TResourceClass::ExtractToTemp(const std::string& name) {
    if (!IsPlainFileName(name) || Find(name) == nullptr) return {};
    const std::string path = tempDir_ + name;
    // Nothing else learns of a failed write here, so it must not pass for success.
    if (ExtractTo(name, path).writeFailed) throw common::IoError(common::kDiskWriteError, path);
    return path;
}

DecodeResult TResourceClass::ExtractTo(const std::string& name, const std::string& destPath) {
    const TResourceEntry* entry = Find(name);
    if (entry == nullptr) return {};
    return ExtractEntry(*entry, destPath);
}

DecodeResult TResourceClass::ExtractEntry(const TResourceEntry& entry, const std::string& destPath,
                                          const CatalogueRecord* expected) {
    return Extract(entry, nullptr, destPath, expected);
}

DecodeResult TResourceClass::ExtractEntry(const TResourceEntry& entry, platform::File& out,
                                          const std::string& destPath, const CatalogueRecord* expected) {
    return Extract(entry, &out, destPath, expected);
}

DecodeResult TResourceClass::Extract(const TResourceEntry& entry, platform::File* out, const std::string& destPath,
                                     const CatalogueRecord* expected) {
    std::unique_ptr<platform::File> opened;
    platform::File* package = held_.get();
    if (package == nullptr) {
        opened = fs_.Open(packagePath_, platform::OpenMode::Read);
        package = opened.get();
    }
    // Only what lies inside the file can be read: a stream that runs past its end is
    // refused before anything is written.
    const std::int64_t fileSize = package->Size();
    std::int64_t stored = 0;
    if (entry.DataOffset >= 0 && entry.DataOffset < fileSize) {
        stored = std::min<std::int64_t>(entry.PackedSize, fileSize - entry.DataOffset);
    }
    if (stored != entry.PackedSize) throw DamagedEntry(CutShort(entry, stored));
    package->Seek(entry.DataOffset);
    StreamReader stream(*package);
    std::array<std::uint8_t, kStreamLengthField> field{};
    if (stream.Read(field.data(), field.size()) != field.size()) {
        throw common::IoError(common::kDiskReadError, packagePath_);
    }
    const std::int32_t length = LoadI32(field, 0);
    if (length != entry.UnpackedSize) {
        throw DamagedEntry("entry \"" + entry.EntryName + "\": stream length field " + Text(length) +
                           " differs from the unpacked size " + Text(entry.UnpackedSize));
    }
    if (expected != nullptr) CheckSizesAgainstCatalogue(entry, *expected);

    std::unique_ptr<platform::File> made;
    if (out == nullptr) {
        made = fs_.Open(destPath, platform::OpenMode::Create);
        out = made.get();
    }
    const DecodeResult result =
        DecodeToFile(stream, entry.PackedSize - kStreamLengthField, length, *out, destPath, progress_);
    if (expected != nullptr) {
        // The decoder may stop before the last code bytes: the CRC-32 covers them all.
        stream.ReadTo(entry.PackedSize);
        if (stream.Count() != entry.PackedSize || stream.Crc() != expected->crc) {
            RemoveQuietly(fs_, destPath);
            if (stream.Count() != entry.PackedSize) throw DamagedEntry(CutShort(entry, stream.Count()));
            throw DamagedEntry("entry \"" + entry.EntryName + "\": CRC-32 " + CrcText(stream.Crc()) +
                               " of its stream differs from the catalogue's " + CrcText(expected->crc));
        }
    }
    if (result.writeFailed) return result;
    if (result.inputExhausted || result.bytesWritten != entry.UnpackedSize) {
        throw DamagedEntry("entry \"" + entry.EntryName + "\" unpacks to " + Text(result.bytesWritten) + " of its " +
                           Text(entry.UnpackedSize) + " bytes" + (result.inputExhausted ? " before its stream ends" : ""));
    }
    return result;
}

bool TResourceClass::CreatePackage(const std::string& path) {
    held_.reset();
    entries_.clear();
    packagePath_ = path;
    try {
        WriteEmptyPackage(fs_, path);
        return true;
    } catch (const common::IoError&) {
        return false;
    }
}

// Appends the scratch file's stream to the package and sets the entry's DataOffset
// and PackedSize to where it went.
void TResourceClass::AppendScratchData(const std::string& scratch, TResourceEntry& entry) {
    const auto in = fs_.Open(scratch, platform::OpenMode::Read);
    const auto package = fs_.Open(packagePath_, platform::OpenMode::ReadWrite);
    const std::int64_t end = package->Size();
    PackageDirectory dir;
    ReadDirectory(*package, end, dir);
    const std::int64_t packedSize = in->Size();
    CheckRoom(dir, end + packedSize + static_cast<std::int64_t>(kEntrySize));
    package->Seek(end);
    std::array<std::uint8_t, kCopyBlock> block{};
    std::int64_t copied = 0;
    while (const std::size_t got = in->Read(block.data(), block.size())) {
        WriteAll(*package, std::span(block.data(), got), packagePath_);
        copied += static_cast<std::int64_t>(got);
    }
    if (copied != packedSize) throw common::IoError(common::kDiskReadError, scratch);
    package->Close();
    entry.DataOffset = static_cast<std::int32_t>(end);
    entry.PackedSize = static_cast<std::int32_t>(packedSize);
}

void TResourceClass::AppendEntry(const TResourceEntry& entry) {
    held_.reset();  // the package is about to change
    const auto file = fs_.Open(packagePath_, platform::OpenMode::ReadWrite);
    const std::int64_t pos = file->Size();
    PackageDirectory dir;
    ReadDirectory(*file, pos, dir);
    CheckRoom(dir, pos + static_cast<std::int64_t>(kEntrySize));
    const std::size_t place = dir.Entries.size() + 1;
    CheckEntry(entry, pos, place);
    if (entry.NextEntry != -1) {
        throw FormatError(Where(entry, pos, place) + "a new entry must end the chain (next entry -1, not " +
                          Text(entry.NextEntry) + ")");
    }
    file->Seek(pos);
    WriteAll(*file, entry.Encode(), packagePath_);
    // Link it from the header or from the entry that was last so far.
    std::array<std::uint8_t, 4> link{};
    StoreI32(link, 0, static_cast<std::int32_t>(pos));
    file->Seek(dir.Entries.empty() ? static_cast<std::int64_t>(kFirstEntryAt)
                                   : dir.Offsets.back() + static_cast<std::int64_t>(kNextEntryAt));
    WriteAll(*file, link, packagePath_);
    file->Close();
    Reload();
}

}  // namespace instalator::package
