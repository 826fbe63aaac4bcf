// BMP decoding: the file header, the core (12-byte), info (40-byte) and later
// (52, 56, 108, 124-byte) headers; 1, 4 and 8 bits with a colour table, 16 and 32
// bits with default or given colour masks, 24 bits; bottom-up and top-down rows;
// RLE8 and RLE4. Every offset and length is checked against the data before it
// is read, and the picture's size is bounded before anything is allocated.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "common/little_endian.hpp"
#include "platform/file_system.hpp"
#include "platform/image.hpp"

namespace instalator::platform {

namespace {

constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{64} * 1024 * 1024;
// The largest file worth reading: the biggest picture at 32 bits plus headers.
constexpr std::int64_t kMaxFileSize = kMaxPixels * 4 + 65536;

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr std::size_t kFileHeaderSize = 14;

[[noreturn]] void Fail(const std::string& reason) { throw ImageError("Invalid BMP file: " + reason); }

template <class Number>
std::string Text(Number value) {
    return std::to_string(value);
}

// Little-endian reads at checked offsets.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Size() const { return data_.size(); }
    void Need(std::uint64_t offset, std::uint64_t count, const char* what) const {
        if (offset > data_.size() || count > data_.size() - offset)
            Fail(std::string(what) + " truncated: " + Text(count) + " bytes needed at offset " + Text(offset) +
                 ", the file has " + Text(data_.size()));
    }
    std::uint8_t U8(std::size_t offset) const { return data_[offset]; }
    std::uint16_t U16(std::size_t offset) const { return common::LoadU16(data_, offset); }
    std::uint32_t U32(std::size_t offset) const { return common::LoadU32(data_, offset); }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

private:
    std::span<const std::uint8_t> data_;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t sizeImage = 0;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::size_t pixelOffset = 0;
};

void ReadCoreHeader(const Bytes& bytes, Header& h) {
    h.width = bytes.U16(18);
    h.height = bytes.U16(20);
    h.bitCount = bytes.U16(24);
    h.paletteEntrySize = 3;
    h.paletteOffset = kFileHeaderSize + 12;
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24)
        Fail("unsupported bit count " + Text(h.bitCount) + " in a core header");
}

void ReadInfoHeader(const Bytes& bytes, std::uint32_t headerSize, Header& h) {
    h.width = bytes.I32(18);
    const std::int64_t height = bytes.I32(22);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.bitCount = bytes.U16(28);
    h.compression = bytes.U32(30);
    h.sizeImage = bytes.U32(34);
    h.coloursUsed = bytes.U32(46);
    h.paletteOffset = kFileHeaderSize + headerSize;
    if (h.compression == kBitFields) {
        // A 40-byte header is followed by the three masks; later headers hold them.
        const std::size_t at = kFileHeaderSize + 40;
        if (headerSize == 40) {
            bytes.Need(at, 12, "colour masks");
            h.paletteOffset += 12;
        }
        h.masks = {bytes.U32(at), bytes.U32(at + 4), bytes.U32(at + 8)};
    }
}

Header ReadHeaders(const Bytes& bytes) {
    bytes.Need(0, kFileHeaderSize + 4, "file header");
    if (bytes.U8(0) != 'B' || bytes.U8(1) != 'M') Fail("no BM signature");
    Header h;
    h.pixelOffset = bytes.U32(10);
    const std::uint32_t headerSize = bytes.U32(kFileHeaderSize);
    switch (headerSize) {
    case 12:
        bytes.Need(kFileHeaderSize, 12, "core header");
        ReadCoreHeader(bytes, h);
        break;
    case 40: case 52: case 56: case 108: case 124:
        bytes.Need(kFileHeaderSize, headerSize, "info header");
        ReadInfoHeader(bytes, headerSize, h);
        break;
    default:
        Fail("unsupported header size " + Text(headerSize));
    }
    if (h.pixelOffset < h.paletteOffset)
        Fail("pixel data offset " + Text(h.pixelOffset) + " lies inside the headers, which end at " +
             Text(h.paletteOffset));
    return h;
}

void CheckFormat(const Header& h) {
    if (h.width <= 0 || h.height <= 0)
        Fail("bad dimensions " + Text(h.width) + " x " + Text(h.height));
    if (h.width > kMaxSide || h.height > kMaxSide || h.width * h.height > kMaxPixels)
        Fail("dimensions " + Text(h.width) + " x " + Text(h.height) + " exceed the limit");
    const int bits = h.bitCount;
    const bool ok = (h.compression == kRgb && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
                                               bits == 32)) ||
                    (h.compression == kBitFields && (bits == 16 || bits == 32)) ||
                    (h.compression == kRle8 && bits == 8) || (h.compression == kRle4 && bits == 4);
    if (!ok) Fail("unsupported compression " + Text(h.compression) + " with " + Text(bits) + " bits per pixel");
    if (h.topDown && h.compression != kRgb && h.compression != kBitFields)
        Fail("a compressed bitmap cannot be stored top-down");
}

// The colour table of a picture of up to 8 bits per pixel, as 0x00RRGGBB. It holds
// the declared number of entries, or as many as fit before the pixel data.
std::vector<std::uint32_t> ReadPalette(const Bytes& bytes, const Header& h) {
    if (h.bitCount > 8) return {};
    std::size_t count = std::size_t{1} << h.bitCount;
    if (h.coloursUsed != 0 && h.coloursUsed < count) count = h.coloursUsed;
    count = std::min(count, (h.pixelOffset - h.paletteOffset) / h.paletteEntrySize);
    if (count == 0) Fail("the colour table is missing");
    bytes.Need(h.paletteOffset, count * h.paletteEntrySize, "colour table");
    std::vector<std::uint32_t> palette(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = h.paletteOffset + i * h.paletteEntrySize;
        palette[i] = static_cast<std::uint32_t>(bytes.U8(at + 2)) << 16 | bytes.U8(at + 1) << 8 | bytes.U8(at);
    }
    return palette;
}

// One channel of a colour mask: where it lies and how wide it is.
struct Channel {
    int shift = 0;
    int bits = 0;

    std::uint32_t Level(std::uint32_t pixel, std::uint32_t mask) const {
        if (bits == 0) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8) return value >> (bits - 8);
        // Narrow channels widen by repeating their bits (5 bits abcde: abcdeabc).
        std::uint32_t level = value << (8 - bits);
        for (int have = bits; have < 8; have *= 2) level |= level >> have;
        return level & 0xFF;
    }
};

Channel ChannelOf(std::uint32_t mask) {
    Channel c;
    if (mask == 0) return c;
    while ((mask >> c.shift & 1) == 0) ++c.shift;
    while (c.shift + c.bits < 32 && (mask >> (c.shift + c.bits) & 1) != 0) ++c.bits;
    if (c.shift + c.bits < 32 && (mask >> (c.shift + c.bits)) != 0) Fail("colour mask is not contiguous");
    return c;
}

std::array<std::uint32_t, 3> MasksOf(const Header& h) {
    if (h.compression == kBitFields) return h.masks;
    if (h.bitCount == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

// Reads the pixels of one stored row at a time.
class RowDecoder {
public:
    RowDecoder(const Bytes& bytes, const Header& h, std::vector<std::uint32_t> palette)
        : bytes_(bytes), bits_(h.bitCount), palette_(std::move(palette)), masks_(MasksOf(h)) {
        for (std::size_t i = 0; i < 3; ++i) channels_[i] = ChannelOf(masks_[i]);
    }

    std::uint32_t Pixel(std::size_t row, std::int64_t x) const {
        switch (bits_) {
        case 1: return Indexed(bytes_.U8(row + static_cast<std::size_t>(x / 8)) >> (7 - x % 8) & 1);
        case 4: return Indexed(bytes_.U8(row + static_cast<std::size_t>(x / 2)) >> (x % 2 == 0 ? 4 : 0) & 15);
        case 8: return Indexed(bytes_.U8(row + static_cast<std::size_t>(x)));
        case 16: return Masked(bytes_.U16(row + static_cast<std::size_t>(x) * 2));
        case 24: {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            return static_cast<std::uint32_t>(bytes_.U8(at + 2)) << 16 | bytes_.U8(at + 1) << 8 | bytes_.U8(at);
        }
        default: return Masked(bytes_.U32(row + static_cast<std::size_t>(x) * 4));
        }
    }

    // An index past the colour table shows black.
    std::uint32_t Indexed(unsigned index) const { return index < palette_.size() ? palette_[index] : 0; }

private:
    std::uint32_t Masked(std::uint32_t pixel) const {
        return channels_[0].Level(pixel, masks_[0]) << 16 | channels_[1].Level(pixel, masks_[1]) << 8 |
               channels_[2].Level(pixel, masks_[2]);
    }

    const Bytes& bytes_;
    int bits_;
    std::vector<std::uint32_t> palette_;
    std::array<std::uint32_t, 3> masks_;
    std::array<Channel, 3> channels_{};
};

Image NewImage(const Header& h) {
    Image image;
    image.width = static_cast<int>(h.width);
    image.height = static_cast<int>(h.height);
    image.pixels.assign(static_cast<std::size_t>(h.width * h.height), 0);
    return image;
}

Image DecodeRows(const Bytes& bytes, const Header& h, std::vector<std::uint32_t> palette) {
    const std::int64_t stride = (h.width * h.bitCount + 31) / 32 * 4;
    bytes.Need(h.pixelOffset, static_cast<std::uint64_t>(stride * h.height), "pixel data");
    const RowDecoder decoder(bytes, h, std::move(palette));
    Image image = NewImage(h);
    for (std::int64_t y = 0; y < h.height; ++y) {
        const std::int64_t stored = h.topDown ? y : h.height - 1 - y;
        const std::size_t row = h.pixelOffset + static_cast<std::size_t>(stored * stride);
        std::uint32_t* out = image.pixels.data() + y * h.width;
        for (std::int64_t x = 0; x < h.width; ++x) out[x] = decoder.Pixel(row, x);
    }
    return image;
}

// Run-length data: pairs (count, value) draw count pixels; a zero count starts an
// escape: 0 end of line, 1 end of bitmap, 2 a move by (dx, dy), 3..255 that many
// literal pixels padded to a 16-bit boundary. Rows run bottom-up; pixels that fall
// outside the picture are dropped, and pixels never drawn stay black.
class RleDecoder {
public:
    RleDecoder(const Bytes& bytes, const Header& h, std::vector<std::uint32_t> palette)
        : bytes_(bytes), header_(h), palette_(std::move(palette)), image_(NewImage(h)), pos_(h.pixelOffset) {
        end_ = bytes.Size();
        if (h.sizeImage != 0 && h.sizeImage < end_ - pos_) end_ = pos_ + h.sizeImage;
    }

    Image Decode() {
        const bool four = header_.compression == kRle4;
        for (;;) {
            Need(2);
            const unsigned count = bytes_.U8(pos_), value = bytes_.U8(pos_ + 1);
            pos_ += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i) Put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            } else if (value == 0) {
                x_ = 0;
                ++y_;
            } else if (value == 1) {
                return std::move(image_);
            } else if (value == 2) {
                Need(2);
                x_ += bytes_.U8(pos_);
                y_ += bytes_.U8(pos_ + 1);
                pos_ += 2;
            } else {
                Literal(value, four);
            }
        }
    }

private:
    void Need(std::size_t count) const {
        if (count > end_ - pos_)
            Fail("run-length data ends at offset " + Text(pos_) + " without the end-of-bitmap mark");
    }

    void Literal(unsigned count, bool four) {
        const std::size_t length = four ? (count + 1) / 2 : count;
        Need((length + 1) & ~std::size_t{1});
        for (unsigned i = 0; i < count; ++i) {
            const unsigned byte = bytes_.U8(pos_ + (four ? i / 2 : i));
            Put(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
        }
        pos_ += (length + 1) & ~std::size_t{1};
    }

    void Put(unsigned index) {
        if (x_ < header_.width && y_ < header_.height) {
            const std::int64_t row = header_.height - 1 - y_;
            image_.pixels[static_cast<std::size_t>(row * header_.width + x_)] =
                index < palette_.size() ? palette_[index] : 0;
        }
        ++x_;
    }

    const Bytes& bytes_;
    const Header& header_;
    std::vector<std::uint32_t> palette_;
    Image image_;
    std::size_t pos_;
    std::size_t end_;
    std::int64_t x_ = 0;
    std::int64_t y_ = 0;
};

}  // namespace

Image DecodeBmp(std::span<const std::uint8_t> data) {
    const Bytes bytes(data);
    const Header h = ReadHeaders(bytes);
    CheckFormat(h);
    std::vector<std::uint32_t> palette = ReadPalette(bytes, h);
    if (h.compression == kRle8 || h.compression == kRle4) {
        bytes.Need(h.pixelOffset, 0, "pixel data");
        return RleDecoder(bytes, h, std::move(palette)).Decode();
    }
    return DecodeRows(bytes, h, std::move(palette));
}

Image LoadBmp(FileSystem& fs, const std::string& path) {
    const std::unique_ptr<File> file = fs.Open(path, OpenMode::Read);
    const std::int64_t size = file->Size();
    if (size > kMaxFileSize)
        Fail("the file is " + Text(size) + " bytes long, more than a picture within the size limits needs");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t got = file->Read(data.data() + done, data.size() - done);
        if (got == 0) throw common::IoError(common::kDiskReadError, path);
        done += got;
    }
    return DecodeBmp(data);
}

}  // namespace instalator::platform
