// Reads the fixed file version out of a PE file with a handful of small reads: the
// DOS and PE headers, the section table, three levels of the resource directory and
// the head of the version block. Every offset and size is checked against the file
// and the section it falls in before it is used; whatever does not fit means "no
// version". The walk has a fixed depth and every loop runs over a counted table, so
// no input can make it loop.

#include "package/version.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "common/little_endian.hpp"
#include "platform/file_system.hpp"

namespace instalator::package {
namespace {

using Bytes = std::span<const std::uint8_t>;

using common::LoadU16;
using common::LoadU32;

// MZ header and PE headers.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kPeOffsetField = 0x3C;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::size_t kPeHeaderSize = 24;           // the signature and the COFF header
constexpr std::size_t kSectionCountField = 6;
constexpr std::size_t kOptionalSizeField = 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kPe32DirectoryCountField = 92;
constexpr std::size_t kPe32PlusDirectoryCountField = 108;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionAddressField = 12;
constexpr std::size_t kSectionRawSizeField = 16;
constexpr std::size_t kSectionRawOffsetField = 20;

// Resource directory.
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kNamedCountField = 12;
constexpr std::size_t kNumberedCountField = 14;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000;
constexpr std::uint32_t kVersionType = 16;   // RT_VERSION
constexpr std::uint32_t kVersionNumber = 1;  // VS_VERSION_INFO
// The languages the system tries first on a Polish machine: neutral, Polish, Polish
// without a sublanguage, US English. Failing them all it takes the first one.
constexpr std::array<std::uint16_t, 4> kLanguageOrder = {0x0000, 0x0415, 0x0015, 0x0409};

// VS_VERSIONINFO: wLength, wValueLength, wType, the key L"VS_VERSION_INFO" with its
// terminating zero, padding to a multiple of 4, then VS_FIXEDFILEINFO.
constexpr std::u16string_view kVersionKey = u"VS_VERSION_INFO";
constexpr std::size_t kKeyOffset = 6;
constexpr std::size_t kFixedInfoOffset = 40;
constexpr std::size_t kFixedInfoSize = 52;
constexpr std::size_t kVersionHeadSize = kFixedInfoOffset + kFixedInfoSize;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFileVersionMsField = 8;
constexpr std::size_t kFileVersionLsField = 12;

using Block = std::optional<std::vector<std::uint8_t>>;

// Exact reads at absolute offsets; a range that does not lie wholly inside the file
// is refused rather than read short.
class Reader {
public:
    explicit Reader(platform::File& file)
        : file_(file), size_(static_cast<std::uint64_t>(std::max<std::int64_t>(file.Size(), 0))) {}

    std::uint64_t Size() const { return size_; }

    Block Read(std::uint64_t offset, std::uint64_t count) {
        if (offset > size_ || count > size_ - offset) return std::nullopt;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        file_.Seek(static_cast<std::int64_t>(offset));
        if (file_.Read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
        return bytes;
    }

private:
    platform::File& file_;
    std::uint64_t size_;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The address of the resource directory in the optional header at offset; none when
// the header is neither PE32 nor PE32+, too short to hold that entry, or the
// directory is empty.
std::optional<std::uint32_t> ResourceDirectoryRva(Reader& reader, std::uint64_t offset,
                                                  std::uint16_t size) {
    const Block magic = reader.Read(offset, 2);
    if (!magic) return std::nullopt;
    std::size_t countField = 0;
    switch (LoadU16(*magic, 0)) {
    case kPe32Magic: countField = kPe32DirectoryCountField; break;
    case kPe32PlusMagic: countField = kPe32PlusDirectoryCountField; break;
    default: return std::nullopt;
    }
    const std::size_t entry = countField + 4 + kResourceDirectoryIndex * 8;
    if (size < entry + 8) return std::nullopt;
    const Block header = reader.Read(offset, entry + 8);
    if (!header || LoadU32(*header, countField) <= kResourceDirectoryIndex) return std::nullopt;
    const std::uint32_t rva = LoadU32(*header, entry);
    if (rva == 0 || LoadU32(*header, entry + 4) == 0) return std::nullopt;
    return rva;
}

// The sections of the file and the address of its resources, for a PE file that
// has resources.
class Image {
public:
    static std::optional<Image> Open(Reader& reader) {
        const Block dos = reader.Read(0, kDosHeaderSize);
        if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') return std::nullopt;
        const std::uint64_t peOffset = LoadU32(*dos, kPeOffsetField);
        const Block pe = reader.Read(peOffset, kPeHeaderSize);
        if (!pe || LoadU32(*pe, 0) != kPeSignature) return std::nullopt;
        const std::uint16_t optionalSize = LoadU16(*pe, kOptionalSizeField);
        const std::optional<std::uint32_t> resources =
            ResourceDirectoryRva(reader, peOffset + kPeHeaderSize, optionalSize);
        if (!resources) return std::nullopt;
        const std::size_t count = LoadU16(*pe, kSectionCountField);
        const Block table =
            reader.Read(peOffset + kPeHeaderSize + optionalSize, count * kSectionHeaderSize);
        if (!table) return std::nullopt;
        Image image;
        image.fileSize_ = reader.Size();
        image.resourceRva_ = *resources;
        for (std::size_t i = 0; i < count; ++i) {
            const Bytes header = Bytes(*table).subspan(i * kSectionHeaderSize, kSectionHeaderSize);
            image.sections_.push_back({LoadU32(header, kSectionAddressField),
                                       LoadU32(header, kSectionRawSizeField),
                                       LoadU32(header, kSectionRawOffsetField)});
        }
        return image;
    }

    std::uint32_t ResourceRva() const { return resourceRva_; }

    // The file offset of count bytes at rva, when they lie inside the raw data of the
    // first section that holds rva, and that section is whole in the file (the system
    // does not load a file cut short inside a section).
    std::optional<std::uint64_t> FileOffset(std::uint64_t rva, std::uint64_t count) const {
        for (const Section& section : sections_) {
            if (rva < section.virtualAddress || rva - section.virtualAddress >= section.rawSize)
                continue;
            const std::uint64_t into = rva - section.virtualAddress;
            const std::uint64_t rawEnd = std::uint64_t{section.rawOffset} + section.rawSize;
            if (count > section.rawSize - into || rawEnd > fileSize_) return std::nullopt;
            return std::uint64_t{section.rawOffset} + into;
        }
        return std::nullopt;
    }

private:
    std::vector<Section> sections_;
    std::uint64_t fileSize_ = 0;
    std::uint32_t resourceRva_ = 0;
};

struct DirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
};

// One table of the resource directory: its named entries first, then the numbered.
struct Directory {
    std::vector<DirectoryEntry> entries;
    std::size_t namedCount = 0;

    // The target of the first numbered entry with that number.
    std::optional<std::uint32_t> Find(std::uint32_t number) const {
        for (std::size_t i = namedCount; i < entries.size(); ++i)
            if (entries[i].name == number) return entries[i].target;
        return std::nullopt;
    }

    std::optional<std::uint32_t> FindLanguage() const {
        for (const std::uint16_t language : kLanguageOrder)
            if (const auto target = Find(language)) return target;
        if (entries.empty()) return std::nullopt;
        return entries.front().target;
    }
};

// The resource tree of one image. Directory entries name their targets by offsets
// from its root; data entries name their data by address.
class Resources {
public:
    Resources(Reader& reader, const Image& image) : reader_(reader), image_(image) {}

    Block Read(std::uint64_t rva, std::uint64_t count) {
        const std::optional<std::uint64_t> offset = image_.FileOffset(rva, count);
        if (!offset) return std::nullopt;
        return reader_.Read(*offset, count);
    }

    // The table that a directory entry's target names, when it names a table.
    std::optional<Directory> Table(std::optional<std::uint32_t> target) {
        if (!target || (*target & kSubdirectoryBit) == 0) return std::nullopt;
        const std::uint64_t rva = Root() + (*target & ~kSubdirectoryBit);
        const Block header = Read(rva, kDirectoryHeaderSize);
        if (!header) return std::nullopt;
        Directory directory;
        directory.namedCount = LoadU16(*header, kNamedCountField);
        const std::size_t count = directory.namedCount + LoadU16(*header, kNumberedCountField);
        const Block body = Read(rva + kDirectoryHeaderSize, count * kDirectoryEntrySize);
        if (!body) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i)
            directory.entries.push_back({LoadU32(*body, i * kDirectoryEntrySize),
                                         LoadU32(*body, i * kDirectoryEntrySize + 4)});
        return directory;
    }

    // The head of the data that a language entry's target describes, when it
    // describes data at least `needed` bytes long that lies inside one section.
    Block Data(std::optional<std::uint32_t> target, std::size_t needed) {
        if (!target || (*target & kSubdirectoryBit) != 0) return std::nullopt;
        const Block entry = Read(Root() + *target, kDataEntrySize);
        if (!entry) return std::nullopt;
        const std::uint32_t rva = LoadU32(*entry, 0);
        const std::uint32_t size = LoadU32(*entry, 4);
        if (size < needed || !image_.FileOffset(rva, size)) return std::nullopt;
        return Read(rva, needed);
    }

    std::optional<Directory> RootTable() { return Table(kSubdirectoryBit); }

private:
    std::uint64_t Root() const { return image_.ResourceRva(); }

    Reader& reader_;
    const Image& image_;
};

// The fixed file version in the head of a VS_VERSIONINFO block. A block without a
// fixed part (a value shorter than VS_FIXEDFILEINFO), with another key or with a
// wrong signature has none: the system's query then yields nothing usable either.
FileVersion DecodeVersionBlock(Bytes head) {
    const std::uint16_t length = LoadU16(head, 0);
    const std::uint16_t valueLength = LoadU16(head, 2);
    if (length < kVersionHeadSize || valueLength < kFixedInfoSize) return {};
    for (std::size_t i = 0; i <= kVersionKey.size(); ++i) {
        const char16_t expected = i < kVersionKey.size() ? kVersionKey[i] : u'\0';
        if (LoadU16(head, kKeyOffset + 2 * i) != expected) return {};
    }
    const Bytes fixed = head.subspan(kFixedInfoOffset, kFixedInfoSize);
    if (LoadU32(fixed, 0) != kFixedInfoSignature) return {};
    const std::uint32_t ms = LoadU32(fixed, kFileVersionMsField);
    const std::uint32_t ls = LoadU32(fixed, kFileVersionLsField);
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

FileVersion ReadVersion(platform::File& file) {
    Reader reader(file);
    const std::optional<Image> image = Image::Open(reader);
    if (!image) return {};
    Resources resources(reader, *image);
    const std::optional<Directory> types = resources.RootTable();
    if (!types) return {};
    const std::optional<Directory> numbers = resources.Table(types->Find(kVersionType));
    if (!numbers) return {};
    const std::optional<Directory> languages = resources.Table(numbers->Find(kVersionNumber));
    if (!languages) return {};
    const Block head = resources.Data(languages->FindLanguage(), kVersionHeadSize);
    if (!head) return {};
    return DecodeVersionBlock(*head);
}

}  // namespace

FileVersion ReadFileVersion(platform::File& file) {
    try {
        return ReadVersion(file);
    } catch (const common::IoError&) {
        return {};
    }
}

FileVersion ReadFileVersion(platform::FileSystem& fs, const std::string& path) {
    try {
        const std::unique_ptr<platform::File> file = fs.Open(path, platform::OpenMode::ReadShared);
        return ReadVersion(*file);
    } catch (const common::IoError&) {
        return {};
    }
}

}  // namespace instalator::package
