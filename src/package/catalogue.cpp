#include "package/catalogue.hpp"

#include <algorithm>
#include <array>

#include "common/little_endian.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "package/lzh.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'Q', 'C', 'A', 'T'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kFrontSize = 8;  // magic, version, record count
constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kRecordNumbers = 12;  // CRC-32 and the two sizes
constexpr std::size_t kReadBlock = 16384;

using common::AppendU16;
using common::AppendU32;
using common::LoadU16;
using common::LoadU32;

std::string Text(std::int64_t value) { return std::to_string(value); }

void WriteAll(platform::File& file, std::span<const std::uint8_t> bytes, const std::string& path) {
    if (file.Write(bytes.data(), bytes.size()) != bytes.size()) throw common::IoError(common::kDiskWriteError, path);
}

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

// Reads the records of a catalogue whose frame has been checked; body is the bytes
// between the front and the trailing CRC.
class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> body) : body_(body) {}

    CatalogueRecord Next(std::size_t place) {
        const std::string at = "catalogue: record " + Text(static_cast<std::int64_t>(place));
        if (pos_ >= body_.size()) throw FormatError(at + " is missing: the catalogue ends first");
        const std::size_t length = body_[pos_];
        if (length > kMaxEntryName) throw FormatError(at + ": name length " + Text(length) + " is above 80 characters");
        if (body_.size() - pos_ < 1 + length + kRecordNumbers) throw FormatError(at + " is cut short");
        CatalogueRecord record;
        record.name.assign(reinterpret_cast<const char*>(body_.data() + pos_ + 1), length);
        const std::size_t numbers = pos_ + 1 + length;
        record.crc = LoadU32(body_, numbers);
        record.unpackedSize = static_cast<std::int32_t>(LoadU32(body_, numbers + 4));
        record.packedSize = static_cast<std::int32_t>(LoadU32(body_, numbers + 8));
        pos_ = numbers + kRecordNumbers;
        const std::string named = at + " " + Quoted(record.name) + ": negative ";
        if (record.unpackedSize < 0) throw FormatError(named + "unpacked size " + Text(record.unpackedSize));
        if (record.packedSize < 0) throw FormatError(named + "packed size " + Text(record.packedSize));
        return record;
    }

    std::size_t Left() const { return body_.size() - pos_; }

private:
    std::span<const std::uint8_t> body_;
    std::size_t pos_ = 0;
};

void CheckFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFrontSize + kCrcSize) {
        throw FormatError("catalogue: " + Text(static_cast<std::int64_t>(bytes.size())) +
                          " bytes, fewer than the 12 of an empty one");
    }
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
        throw FormatError("catalogue: it does not start with the magic \"QCAT\"");
    }
    const std::size_t body = bytes.size() - kCrcSize;
    const std::uint32_t stored = LoadU32(bytes, body);
    const std::uint32_t actual = Crc32(0, bytes.data(), body);
    if (stored != actual) {
        throw FormatError("catalogue: its bytes have the CRC-32 " + CrcText(actual) + ", not the stored " + CrcText(stored) +
                          " (the catalogue is damaged)");
    }
    const std::uint16_t version = LoadU16(bytes, 4);
    if (version != kVersion) throw FormatError("catalogue: format version " + Text(version) + " is not known");
}

// A catalogue is cut off only when that leaves everything else whole: its data
// must begin after every other entry (each entry's data lies before it), and its
// record must end the file.
void CheckCuttable(const PackageDirectory& dir, std::int64_t fileSize) {
    std::int64_t othersEnd = static_cast<std::int64_t>(kHeaderSize);
    for (std::size_t i = 0; i + 1 < dir.Offsets.size(); ++i) {
        othersEnd = std::max(othersEnd, dir.Offsets[i] + static_cast<std::int64_t>(kEntrySize));
    }
    const bool endsFile = dir.Offsets.back() + static_cast<std::int64_t>(kEntrySize) == fileSize;
    if (!endsFile || dir.Entries.back().DataOffset < othersEnd) {
        throw FormatError("the catalogue that ends the entry chain does not lie after everything else in the file, "
                          "so it cannot be cut off");
    }
}

std::vector<std::uint8_t> UnpackCatalogue(platform::File& file, const TResourceEntry& entry) {
    if (entry.UnpackedSize < 0 || entry.UnpackedSize > kMaxCatalogueSize) {
        throw FormatError("catalogue: unpacked size " + Text(entry.UnpackedSize) +
                          " is not that of a catalogue (at most " + Text(kMaxCatalogueSize) + " bytes)");
    }
    std::array<std::uint8_t, 4> field{};
    file.Seek(entry.DataOffset);
    if (entry.PackedSize < 4 || file.Read(field.data(), field.size()) != field.size()) {
        throw FormatError("catalogue: stream cut short before the end of its 4-byte length field");
    }
    const auto length = static_cast<std::int32_t>(LoadU32(field, 0));
    if (length != entry.UnpackedSize) {
        throw FormatError("catalogue: stream length field " + Text(length) + " differs from the unpacked size " +
                          Text(entry.UnpackedSize));
    }
    std::vector<std::uint8_t> bytes;
    const DecodeResult result = DecodeStream(file, entry.PackedSize - 4, length,
                                             [&](const std::uint8_t* data, std::size_t size) {
                                                 bytes.insert(bytes.end(), data, data + size);
                                             });
    if (result.inputExhausted) throw FormatError("catalogue: stream shorter than its declared size");
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
    // The reflected polynomial 0x04C11DB7, a byte at a time: far faster than the LZH
    // decoding that follows every check, and a table of 1 KB instead of a library.
    static constexpr std::array<std::uint32_t, 256> kTable = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string CrcText(std::uint32_t crc) { return common::HexText(crc, 8); }

const CatalogueRecord* Catalogue::Find(std::string_view name) const {
    const auto found = std::find_if(records_.begin(), records_.end(),
                                    [&](const CatalogueRecord& record) { return common::SameText(record.name, name); });
    return found == records_.end() ? nullptr : &*found;
}

std::vector<std::uint8_t> Catalogue::Encode() const {
    if (records_.size() > kMaxEntries) {
        throw FormatError("a catalogue of " + Text(static_cast<std::int64_t>(records_.size())) +
                          " records, more than 128");
    }
    std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
    AppendU16(bytes, kVersion);
    AppendU16(bytes, static_cast<std::uint16_t>(records_.size()));
    for (const CatalogueRecord& record : records_) {
        if (record.name.size() > kMaxEntryName) {
            throw FormatError("catalogue record " + Quoted(record.name) + ": name longer than 80 characters");
        }
        bytes.push_back(static_cast<std::uint8_t>(record.name.size()));
        bytes.insert(bytes.end(), record.name.begin(), record.name.end());
        AppendU32(bytes, record.crc);
        AppendU32(bytes, static_cast<std::uint32_t>(record.unpackedSize));
        AppendU32(bytes, static_cast<std::uint32_t>(record.packedSize));
    }
    AppendU32(bytes, Crc32(0, bytes.data(), bytes.size()));
    return bytes;
}

Catalogue Catalogue::Decode(std::span<const std::uint8_t> bytes) {
    CheckFrame(bytes);
    const std::uint16_t count = LoadU16(bytes, 6);
    if (count > kMaxEntries) throw FormatError("catalogue: " + Text(count) + " records, more than 128");
    RecordReader reader(bytes.subspan(kFrontSize, bytes.size() - kFrontSize - kCrcSize));
    Catalogue catalogue;
    for (std::size_t place = 1; place <= count; ++place) catalogue.records_.push_back(reader.Next(place));
    if (reader.Left() != 0) {
        throw FormatError("catalogue: " + Text(static_cast<std::int64_t>(reader.Left())) +
                          " bytes after its last record");
    }
    return catalogue;
}

bool IsCatalogueEntry(const TResourceEntry& entry) { return common::SameText(entry.EntryName, kCatalogueName); }

std::optional<std::size_t> CatalogueIndex(const std::vector<TResourceEntry>& entries) {
    const auto found = std::find_if(entries.rbegin(), entries.rend(), IsCatalogueEntry);
    if (found == entries.rend()) return std::nullopt;
    return static_cast<std::size_t>(entries.rend() - found - 1);
}

CatalogueRecord RecordOf(platform::File& file, const TResourceEntry& entry) {
    CatalogueRecord record{entry.EntryName, 0, entry.UnpackedSize, entry.PackedSize};
    std::vector<std::uint8_t> block(kReadBlock);
    file.Seek(entry.DataOffset);
    for (std::int64_t left = entry.PackedSize; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, kReadBlock));
        const std::size_t got = file.Read(block.data(), want);
        if (got == 0) {
            throw FormatError("entry " + Quoted(entry.EntryName) + ": packed data cut short by the end of the file");
        }
        record.crc = Crc32(record.crc, block.data(), got);
        left -= static_cast<std::int64_t>(got);
    }
    return record;
}

std::optional<Catalogue> ReadCatalogue(platform::FileSystem& fs, const TResourceClass& volume) {
    if (!CatalogueIndex(volume.Entries())) return std::nullopt;
    const auto file = fs.Open(volume.PackagePath(), platform::OpenMode::Read);
    std::optional<Catalogue> catalogue = ReadCatalogue(*file, volume.Entries());
    file->Close();
    return catalogue;
}

std::optional<Catalogue> ReadCatalogue(platform::File& file, const std::vector<TResourceEntry>& entries) {
    const std::optional<std::size_t> index = CatalogueIndex(entries);
    if (!index) return std::nullopt;
    return Catalogue::Decode(UnpackCatalogue(file, entries[*index]));
}

bool RemoveCatalogue(platform::FileSystem& fs, TResourceClass& volume) {
    const auto file = fs.Open(volume.PackagePath(), platform::OpenMode::ReadWrite);
    const std::int64_t size = file->Size();
    PackageDirectory dir;
    ReadDirectory(*file, size, dir);
    if (dir.Entries.empty() || !IsCatalogueEntry(dir.Entries.back())) return false;
    CheckCuttable(dir, size);
    // The header, or the entry before it, ends the chain again (-1); then the file
    // is cut where the catalogue's stream begins.
    const std::size_t count = dir.Offsets.size();
    file->Seek(count == 1 ? static_cast<std::int64_t>(kFirstEntryAt)
                        : dir.Offsets[count - 2] + static_cast<std::int64_t>(kNextEntryAt));
    WriteAll(*file, std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}, volume.PackagePath());
    file->Truncate(dir.Entries.back().DataOffset);
    file->Close();
    if (!volume.OpenPackage(volume.PackagePath())) {
        throw FormatError("the package could not be read again after its catalogue was cut off");
    }
    return true;
}

}  // namespace instalator::package
