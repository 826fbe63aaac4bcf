#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.hpp"
#include "platform/file_system.hpp"
#include "platform/image.hpp"
#include "support/scratch_dir.hpp"

namespace {

using namespace instalator;
using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;

std::string Sample(const std::string& name) { return std::string(INSTALATOR_TEST_DATA) + "/bmp/" + name; }

// A binary PPM (P6, maximum 255) as an image: the expected pixels of a sample.
platform::Image ReadPpm(const Bytes& data) {
    std::size_t pos = 2;  // after "P6"
    auto number = [&] {
        while (pos < data.size() && (data[pos] < '0' || data[pos] > '9')) ++pos;
        int value = 0;
        while (pos < data.size() && data[pos] >= '0' && data[pos] <= '9') value = value * 10 + (data[pos++] - '0');
        return value;
    };
    platform::Image image;
    image.width = number();
    image.height = number();
    number();
    ++pos;
    for (int i = 0; i < image.width * image.height; ++i, pos += 3)
        image.pixels.push_back(std::uint32_t{data[pos]} << 16 | data[pos + 1] << 8 | data[pos + 2]);
    return image;
}

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// Writes a BMP file: file header, a core, info, V4 or V5 header (colour masks in
// the header, or after a 40-byte one for bit-field data), colour table, pixels.
struct Bmp {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    unsigned bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    Pixels palette{};
    std::array<std::uint32_t, 3> masks{};
    Bytes pixels{};

    Bytes Build() const {
        Bytes header;
        Put32(header, headerSize);
        if (headerSize == 12) {
            for (unsigned v : {unsigned(width), unsigned(height), 1u, bits}) Put16(header, v);
        } else {
            for (std::uint32_t v : {std::uint32_t(width), std::uint32_t(height)}) Put32(header, v);
            Put16(header, 1);
            Put16(header, bits);
            for (std::uint32_t v : {compression, 0u, 2835u, 2835u, coloursUsed, 0u}) Put32(header, v);
            if (compression == 3 || headerSize > 40)
                for (std::uint32_t m : masks) Put32(header, m);
            header.resize(std::max<std::size_t>(header.size(), headerSize));
        }
        for (std::uint32_t c : palette) {
            for (int shift : {0, 8, 16}) header.push_back(static_cast<std::uint8_t>(c >> shift));
            if (headerSize != 12) header.push_back(0);
        }
        Bytes file{'B', 'M'};
        Put32(file, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
        Put32(file, 0);
        Put32(file, static_cast<std::uint32_t>(14 + header.size()));
        file.insert(file.end(), header.begin(), header.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

const Pixels kPalette{0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

struct Variant {
    const char* name;
    Bmp bmp;
    Pixels expected;  // top row first
};

std::vector<Variant> Variants() {
    std::vector<Variant> v;
    // 2 × 2, 24 bits, stored top-down (negative height); rows padded to 8 bytes.
    v.push_back({"top-down 24", {.height = -2, .pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}},
                 {0x030201, 0x060504, 0x090807, 0x0C0B0A}});
    v.push_back({"16 bits 5-5-5", {.width = 2, .height = 1, .bits = 16, .pixels = {0x00, 0x7C, 0x1F, 0x00}},
                 {0xFF0000, 0x0000FF}});
    v.push_back({"16 bits 5-6-5 in a V4 header",
                 {.headerSize = 108, .width = 2, .height = 1, .bits = 16, .compression = 3,
                  .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0xE0, 0x07, 0x10, 0x00}},
                 {0x00FF00, 0x000084}});
    v.push_back({"32 bits, fourth byte ignored", {.width = 1, .height = 1, .bits = 32, .pixels = {1, 2, 3, 99}},
                 {0x030201}});
    v.push_back({"32 bits with masks after a 40-byte header",
                 {.width = 1, .height = 1, .bits = 32, .compression = 3, .masks = {0xFF, 0xFF00, 0xFF0000},
                  .pixels = {1, 2, 3, 4}},
                 {0x010203}});
    v.push_back({"8 bits, index past the table is black",
                 {.width = 3, .height = 1, .bits = 8, .coloursUsed = 2, .palette = {0x112233, 0x445566},
                  .pixels = {1, 0, 7, 0}},
                 {0x445566, 0x112233, 0x000000}});
    v.push_back({"core header, 1 bit", {.headerSize = 12, .width = 3, .height = 2, .bits = 1,
                                        .palette = {0x0000FF, 0xFFFF00}, .pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0}},
                 {0x0000FF, 0xFFFF00, 0x0000FF, 0xFFFF00, 0x0000FF, 0xFFFF00}});
    // RLE8, 4 × 3, bottom row first: a run, end of line, a literal of 3 (padded),
    // a move up one row, a run that passes the right edge, end of bitmap.
    v.push_back({"RLE8", {.width = 4, .height = 3, .bits = 8, .compression = 1, .palette = kPalette,
                          .pixels = {2, 1, 0, 0, 0, 3, 2, 3, 4, 0, 0, 2, 0, 1, 3, 4, 0, 1}},
                 {0x000000, 0x000000, 0x000000, 0xFFFFFF, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000,
                  0xFF0000, 0xFF0000, 0x000000, 0x000000}});
    // RLE4, 5 × 2: a run alternating two nibbles, end of line, a literal of 5
    // nibbles (3 bytes, padded to 4), end of bitmap.
    v.push_back({"RLE4", {.width = 5, .height = 2, .bits = 4, .compression = 2, .palette = kPalette,
                          .pixels = {3, 0x12, 0, 0, 0, 5, 0x43, 0x21, 0x40, 0, 0, 1}},
                 {0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0xFF0000, 0x000000,
                  0x000000}});
    return v;
}

TEST(Bmp, DecodesEachVariant) {
    for (const Variant& variant : Variants()) {
        SCOPED_TRACE(variant.name);
        const platform::Image image = platform::DecodeBmp(variant.bmp.Build());
        EXPECT_EQ(image.width, variant.bmp.width);
        EXPECT_EQ(image.height, std::abs(variant.bmp.height));
        EXPECT_EQ(image.pixels, variant.expected);
    }
}

const char* const kSamples[] = {"rgb24", "v5_24", "core24", "core4", "mono", "pal4",
                                "pal8", "rle8", "rgb555", "rgb565", "argb32"};

// The samples were written by another program, and their .ppm companions are that
// program's own reading of them.
TEST(Bmp, ReadsSamplesAsTheirMakerDoes) {
    for (const char* name : kSamples) {
        SCOPED_TRACE(name);
        const platform::Image expected = ReadPpm(instalator::testing::ReadBytes(Sample(std::string(name) + ".ppm")));
        const platform::Image image = platform::LoadBmp(platform::HostFileSystem(), Sample(std::string(name) + ".bmp"));
        ASSERT_EQ(image.width, expected.width);
        ASSERT_EQ(image.height, expected.height);
        EXPECT_EQ(image.pixels, expected.pixels);
    }
}

// Every proper prefix of a valid file is refused with an ImageError.
TEST(Bmp, RefusesEveryTruncation) {
    std::vector<Bytes> files;
    for (const char* name : kSamples)
        files.push_back(instalator::testing::ReadBytes(Sample(std::string(name) + ".bmp")));
    for (const Variant& variant : Variants()) files.push_back(variant.bmp.Build());
    for (const Bytes& file : files) {
        for (std::size_t length = 0; length < file.size(); ++length) {
            EXPECT_THROW(platform::DecodeBmp(std::span(file.data(), length)), platform::ImageError)
                << "length " << length << " of " << file.size();
        }
    }
}

struct Damage {
    const char* name;
    Bmp bmp;
    const char* reason;
};

TEST(Bmp, RefusesDamageWithTheReason) {
    const Bytes row{1, 2, 3, 0};
    const Damage cases[] = {
        {"header size", {.headerSize = 64, .pixels = row}, "unsupported header size 64"},
        {"zero width", {.width = 0, .pixels = row}, "bad dimensions 0 x 2"},
        {"negative width", {.width = -3, .pixels = row}, "bad dimensions -3 x 2"},
        {"too wide", {.width = 16385, .height = 1}, "dimensions 16385 x 1 exceed the limit"},
        {"too many pixels", {.width = 16384, .height = 16384}, "exceed the limit"},
        {"most negative height", {.height = INT_MIN}, "exceed the limit"},
        {"2 bits", {.width = 1, .height = 1, .bits = 2, .palette = kPalette}, "unsupported compression 0 with 2"},
        {"JPEG inside", {.compression = 4}, "unsupported compression 4"},
        {"RLE8 of 4 bits", {.bits = 4, .compression = 1, .palette = kPalette}, "unsupported compression 1 with 4"},
        {"masks for 24 bits", {.compression = 3}, "unsupported compression 3 with 24"},
        {"RLE top-down", {.height = -2, .bits = 8, .compression = 1, .palette = kPalette, .pixels = {0, 1}},
         "cannot be stored top-down"},
        {"split mask", {.width = 1, .height = 1, .bits = 32, .compression = 3, .masks = {0xF0F, 0xF0, 0},
                        .pixels = row},
         "not contiguous"},
        {"no colour table", {.width = 1, .height = 1, .bits = 8, .pixels = row}, "colour table is missing"},
        {"short pixel rows", {.width = 2, .height = 2, .pixels = Bytes(15)},
         "pixel data truncated: 16 bytes needed at offset 54, the file has 69"},
        {"RLE without its end", {.width = 2, .height = 1, .bits = 8, .compression = 1, .palette = kPalette,
                                 .pixels = {2, 1, 0, 0}},
         "run-length data ends at offset 78 without the end-of-bitmap mark"},
        {"RLE literal past the data", {.width = 8, .height = 1, .bits = 8, .compression = 1, .palette = kPalette,
                                       .pixels = {0, 6, 1, 1, 0, 1}},
         "without the end-of-bitmap mark"},
        {"RLE delta past the data", {.width = 8, .height = 1, .bits = 4, .compression = 2, .palette = kPalette,
                                     .pixels = {0, 2, 1}},
         "without the end-of-bitmap mark"},
    };
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        try {
            platform::DecodeBmp(damage.bmp.Build());
            ADD_FAILURE() << "accepted";
        } catch (const platform::ImageError& error) {
            EXPECT_NE(std::string(error.what()).find(damage.reason), std::string::npos) << error.what();
        }
    }
}

TEST(Bmp, RefusesBrokenFileHeaders) {
    Bytes good = Bmp{.pixels = Bytes(16)}.Build();
    Bytes noSignature = good;
    noSignature[0] = 'X';
    Bytes offsetInsideHeaders = good;
    offsetInsideHeaders[10] = 20;
    Bytes offsetPastEnd = good;
    offsetPastEnd[11] = 0x10;
    const std::pair<Bytes, const char*> cases[] = {
        {noSignature, "no BM signature"},
        {offsetInsideHeaders, "pixel data offset 20 lies inside the headers, which end at 54"},
        {offsetPastEnd, "pixel data truncated: 16 bytes needed at offset 4150"},
    };
    for (const auto& [file, reason] : cases) {
        try {
            platform::DecodeBmp(file);
            ADD_FAILURE() << reason << ": accepted";
        } catch (const platform::ImageError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}

TEST(Bmp, LoadReportsAMissingFile) {
    instalator::testing::ScratchDir dir;
    try {
        platform::LoadBmp(platform::HostFileSystem(), dir / "none.bmp");
        ADD_FAILURE() << "loaded a missing file";
    } catch (const common::IoError& error) {
        EXPECT_EQ(error.code(), common::kFileNotFound);
    }
}

}  // namespace
