#pragma once
// The integrity catalogue of a package volume: for every entry the CRC-32 of its
// packed bytes and its two sizes, so that a volume damaged in transfer is noticed
// before its files are installed. It travels as an ordinary LZH entry named
// kCatalogueName at the end of the chain; a reader that does not know it sees one
// more entry, which no script can name.
//
// Its unpacked bytes, numbers little-endian:
//   0      4  magic "QCAT"
//   4      2  format version, 1
//   6      2  record count, at most 128
//   8         the records in chain order, each: name length (0 to 80), the name
//             (cp1250), CRC-32 of the packed bytes (4, unsigned), unpacked size
//             (4, signed), packed size (4, signed)
//   end-4  4  CRC-32 of every byte before it

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/resource.hpp"

namespace instalator::package {

// The entry name of a volume's catalogue: the colon keeps it from ever being a
// script item (lookups take the file-name part of a path, which ends at a colon)
// and from being unpacked to a file.
inline constexpr std::string_view kCatalogueName = ":catalogue";
// The unpacked size of a catalogue of 128 records with 80-character names.
inline constexpr std::int32_t kMaxCatalogueSize = 8 + 128 * (1 + 80 + 12) + 4;

// CRC-32 (the common one of zlib and PNG) of size bytes, continuing from crc (start
// with 0).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);
// A CRC-32 as messages write it: eight upper-case hexadecimal digits.
std::string CrcText(std::uint32_t crc);

struct CatalogueRecord {
    std::string name;
    std::uint32_t crc = 0;  // of the whole stored stream, length field included
    std::int32_t unpackedSize = 0;
    std::int32_t packedSize = 0;
    bool operator==(const CatalogueRecord&) const = default;
};

class Catalogue {
public:
    Catalogue() = default;
    explicit Catalogue(std::vector<CatalogueRecord> records) : records_(std::move(records)) {}

    // In chain order.
    const std::vector<CatalogueRecord>& Records() const { return records_; }

    // The record of the first entry whose name equals name without regard to letter
    // case (the same rule as TResourceClass::FindEntry), nullptr when there is none.
    const CatalogueRecord* Find(std::string_view name) const;

    // More than 128 records or a name longer than 80 characters throws FormatError.
    std::vector<std::uint8_t> Encode() const;
    // Any damage throws FormatError with the exact reason; nothing outside bytes is
    // read.
    static Catalogue Decode(std::span<const std::uint8_t> bytes);

private:
    std::vector<CatalogueRecord> records_;
};

// True when entry has the catalogue's name.
bool IsCatalogueEntry(const TResourceEntry& entry);

// The place in entries of the volume's catalogue: the last entry named
// kCatalogueName; nothing when there is none.
std::optional<std::size_t> CatalogueIndex(const std::vector<TResourceEntry>& entries);

// The record of entry, its packed bytes read from file. A stream cut short by the
// end of the file throws FormatError.
CatalogueRecord RecordOf(platform::File& file, const TResourceEntry& entry);

// The catalogue of the package that `volume` has opened: the last entry named
// kCatalogueName in chain order, unpacked in memory (one larger than any catalogue
// is refused); std::nullopt when the volume has none. Damage throws FormatError,
// read failures common::IoError.
std::optional<Catalogue> ReadCatalogue(platform::FileSystem& fs, const TResourceClass& volume);
// The same for a package already open as file, whose directory is entries.
std::optional<Catalogue> ReadCatalogue(platform::File& file, const std::vector<TResourceEntry>& entries);

// Appends a catalogue of every entry of `volume` as its last entry. Throws
// FormatError, with the package unchanged, when it already holds 128 entries or
// would outgrow 2^31-1 bytes.
void AppendCatalogue(platform::FileSystem& fs, TResourceClass& volume);

// When the last entry of `volume` is a catalogue lying at the end of the file, cuts
// it off, leaving the package as it was before the catalogue was appended, and
// returns true. Throws FormatError, with the package unchanged, for a last catalogue
// that does not lie after everything else in the file.
bool RemoveCatalogue(platform::FileSystem& fs, TResourceClass& volume);

}  // namespace instalator::package
