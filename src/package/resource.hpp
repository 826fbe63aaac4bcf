#pragma once
// The package container: a 168-byte header, then for every packed file its LZH
// stream followed by its 124-byte directory entry; the entries form a chain that
// starts in the header. All numbers little-endian.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "package/lzh.hpp"
#include "package/version.hpp"

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

namespace instalator::package {

struct CatalogueRecord;

// A package that cannot be read as one, or a change that would make it unreadable;
// what() names the offset or the entry and what is wrong (callers that know the
// package's path put it in front).
class FormatError : public common::Error {
public:
    using common::Error::Error;
};

// An entry whose stored stream does not give what its directory entry promises: the
// stream's length field differs from the unpacked size, the stream is cut short, or
// it unpacks to another number of bytes. what() says which, with the figures.
class DamagedEntry : public FormatError {
public:
    using FormatError::FormatError;
};

inline constexpr std::size_t kHeaderSize = 168;
// Where the chain's links lie: FirstEntry in the header, NextEntry in an entry.
inline constexpr std::size_t kFirstEntryAt = 164;
inline constexpr std::size_t kNextEntryAt = 116;
inline constexpr std::size_t kEntrySize = 124;
inline constexpr std::size_t kMaxEntries = 128;
inline constexpr std::size_t kMaxEntryName = 80;
// Offsets and sizes are signed 32-bit, so no package grows beyond this.
inline constexpr std::int64_t kMaxPackageSize = 0x7FFFFFFF;
// The scratch file in the temporary directory that holds one raw LZH stream.
inline constexpr std::string_view kScratchName = "Setup.tmp";

// The 168 header bytes as stored. Only FirstEntry is interpreted; the magic text,
// the two flag bytes and the description are written by CreatePackage and kept
// whenever the header is changed.
struct TResourceHeader {
    std::array<std::uint8_t, kHeaderSize> Bytes{};

    // The header of a new, empty package (zeros in every reserved byte).
    static TResourceHeader New();
    // Offset of the first directory entry, -1 for an empty package.
    std::int32_t FirstEntry() const;
    void SetFirstEntry(std::int32_t offset);
    // True when the magic text is the one CreatePackage writes.
    bool HasMagic() const;
};

// One directory record. A default record is the all-zero record.
struct TResourceEntry {
    std::string EntryName;  // at most 80 characters, cp1250
    std::int32_t UnpackedSize = 0;
    package::FileVersion FileVersion;
    std::int32_t DataOffset = 0;
    std::int32_t PackedSize = 0;
    std::int32_t NextEntry = 0;

    // Zeros in every reserved byte and after the name. A name longer than 80
    // characters throws FormatError.
    std::array<std::uint8_t, kEntrySize> Encode() const;
    // A name length byte above 80 throws FormatError; nothing else is checked here.
    static TResourceEntry Decode(std::span<const std::uint8_t, kEntrySize> bytes);
    bool operator==(const TResourceEntry&) const = default;
};

// The directory of a package as far as it has been read.
struct PackageDirectory {
    TResourceHeader Header;
    std::vector<TResourceEntry> Entries;  // in chain order
    std::vector<std::int64_t> Offsets;    // file offset of each entry of Entries
};

// Reads the header and the entry chain of a package file of fileSize bytes,
// appending each entry to dir once it has been checked. Damage throws FormatError
// with the exact reason: a file shorter than the header; an entry offset that is
// negative, inside the header, beyond the end of the file or without room for 124
// bytes; a chain that loops or holds more than 128 entries; an entry whose name is
// longer than 80 characters, whose sizes are negative, whose stream is shorter than
// its 4-byte length field or whose data lies outside the space before the entry.
// Entries read before the damage stay in dir. Read failures throw common::IoError.
void ReadDirectory(platform::File& file, std::int64_t fileSize, PackageDirectory& dir);

// Writes the 168 bytes of a new, empty package at path, replacing any file there.
// Failures throw common::IoError.
void WriteEmptyPackage(platform::FileSystem& fs, const std::string& path);

// Throws FormatError when entry, stored at offset with the given 1-based place in
// the chain, cannot be part of a package: the same per-entry checks as
// ReadDirectory.
void CheckEntry(const TResourceEntry& entry, std::int64_t offset, std::size_t place);

// The package object: reads a package's directory, finds entries by name without
// regard to letter case, unpacks them, and builds packages (through a scratch file in
// the temporary directory). It holds no open file between operations, unless asked to
// by OpenAndHold.
class TResourceClass {
public:
    // tempDir ends with the file system's separator; the scratch file and the
    // entries unpacked by ExtractToTemp go there.
    TResourceClass(platform::FileSystem& fs, std::string tempDir);
    ~TResourceClass();
    TResourceClass(const TResourceClass&) = delete;
    TResourceClass& operator=(const TResourceClass&) = delete;

    // Reads the directory of the package at path. False when no file is there (the
    // directory read before stays), or when the file cannot be read or is damaged
    // (the entries read before the damage stay).
    bool OpenPackage(const std::string& path);

    // OpenPackage as on a new object (the entries read before go even when no file is
    // there); the package file then stays open, and ExtractEntry reads from it, until
    // the next OpenPackage, OpenAndHold or Release, so that unpacking many entries opens
    // it once. Meanwhile it reads whatever that open file holds, even when the path
    // names another file by then.
    bool OpenAndHold(const std::string& path);
    void Release();
    bool Holding() const { return held_ != nullptr; }

    // The first entry in chain order whose name equals name without regard to
    // letter case; the all-zero record when there is none.
    TResourceEntry FindEntry(std::string_view name) const;

    // Unpacks the entry name into the temporary directory under name as given and
    // returns that path; an empty string, and nothing written, when no entry has
    // that name or the name is not a plain file name.
    std::string ExtractToTemp(const std::string& name);

    // Unpacks the entry name into destPath; nothing is written and the result is
    // all zero when no entry has that name.
    DecodeResult ExtractTo(const std::string& name, const std::string& destPath);

    // Unpacks one entry of this package into destPath, decoding straight from the
    // package. A package that cannot be read throws common::IoError. Damage throws
    // DamagedEntry: a stream cut short by the end of the package or whose length field
    // differs from the entry's unpacked size (nothing written to destPath), or one that
    // unpacks to another number of bytes (destPath holds what came out). A failed write
    // to destPath is reported in the result instead. With expected, the record of the
    // entry in its volume's catalogue, the entry's sizes must also match it (checked
    // before destPath is created) and so must the CRC-32 of the whole stream as read
    // (checked once it is decoded; on a mismatch destPath is removed).
    DecodeResult ExtractEntry(const TResourceEntry& entry, const std::string& destPath,
                              const CatalogueRecord* expected = nullptr);
    // The same into out, a file the caller has made at destPath: the checks that come
    // before the writing then come after its making; out is closed when this returns.
    DecodeResult ExtractEntry(const TResourceEntry& entry, platform::File& out, const std::string& destPath,
                              const CatalogueRecord* expected);

    // Writes a new, empty package at path (replacing any file there) and makes it
    // this object's package. False when a file operation fails.
    bool CreatePackage(const std::string& path);

    // Packs the file at sourcePath and appends it under its file-name part, cut to
    // 80 characters. Throws FormatError when the package is damaged or would exceed
    // 128 entries or 2^31-1 bytes, common::IoError when a file operation fails.
    void AddFile(const std::string& sourcePath);

    // Writes entry at the end of the package and links it as the last entry of the
    // chain. The entry's data must lie before it and its NextEntry must be -1.
    void AppendEntry(const TResourceEntry& entry);

    const std::vector<TResourceEntry>& Entries() const { return entries_; }
    std::int32_t EntryCount() const { return static_cast<std::int32_t>(entries_.size()); }
    const std::string& PackagePath() const { return packagePath_; }
    const std::string& TempDir() const { return tempDir_; }

    // Told the output size after every 4096-byte block while packing or unpacking.
    void SetProgress(Progress progress) { progress_ = std::move(progress); }

private:
    const TResourceEntry* Find(std::string_view name) const;
    std::string ScratchPath() const;
    // Reads the directory again; with hold, the file stays open as held_.
    void Reload(bool hold = false);
    void AppendScratchData(const std::string& scratch, TResourceEntry& entry);
    // ExtractEntry into out, or, when out is null, into a file made at destPath.
    DecodeResult Extract(const TResourceEntry& entry, platform::File* out, const std::string& destPath,
                         const CatalogueRecord* expected);

    platform::FileSystem& fs_;
    std::string tempDir_;
    std::string packagePath_;
    std::vector<TResourceEntry> entries_;
    std::unique_ptr<platform::File> held_;
    Progress progress_;
};

}  // namespace instalator::package
