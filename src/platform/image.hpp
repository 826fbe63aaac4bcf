#pragma once
// A decoded picture: top-down rows of 0x00RRGGBB pixels.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/errors.hpp"

namespace instalator::platform {

class FileSystem;

class ImageError : public common::Error {
public:
    using common::Error::Error;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width × height, row 0 at the top

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool Empty() const { return width == 0 || height == 0; }
};

// Decodes a BMP file (1, 4, 8, 16, 24, 32 bits; bottom-up and top-down; RLE8 and
// RLE4). Damaged or unsupported data throws ImageError with the reason.
Image DecodeBmp(std::span<const std::uint8_t> bytes);
// Reads and decodes a BMP file; an unreadable file throws common::IoError.
Image LoadBmp(FileSystem& fs, const std::string& path);

}  // namespace instalator::platform
