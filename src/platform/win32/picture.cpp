#include "platform/win32/picture.hpp"

#include <cstring>
#include <string>

namespace instalator::platform::win32 {
namespace {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: row 0 at the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

// A 32-bit DIB pixel is the bytes blue, green, red, unused: the little-endian
// 0x00RRGGBB of the Image, so the rows copy as they are.
Bitmap DibFromImage(const Image& image) {
    const BITMAPINFO info = TopDown32(image.width, image.height);
    void* bits = nullptr;
    Bitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) throw ImageError("cannot create a bitmap of " + std::to_string(image.width) + " x " +
                                                  std::to_string(image.height) + " pixels");
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(std::uint32_t));
    return dib;
}

COLORREF TransparentColour(const Image& image) {
    const std::uint32_t corner = image.At(0, image.height - 1);
    return RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF);
}

Image ImageFromResource(HINSTANCE module, int id) {
    const Bitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP shape{};
    if (!bitmap || ::GetObjectW(bitmap.Get(), sizeof shape, &shape) == 0)
        throw ImageError("bitmap resource " + std::to_string(id) + " is missing");
    Image image;
    image.width = shape.bmWidth;
    image.height = shape.bmHeight;
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    BITMAPINFO info = TopDown32(image.width, image.height);
    const MemoryDc dc = CompatibleDc(nullptr);
    if (::GetDIBits(dc.Get(), bitmap.Get(), 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
                    DIB_RGB_COLORS) != image.height)
        throw ImageError("bitmap resource " + std::to_string(id) + " cannot be read");
    for (auto& pixel : image.pixels) pixel &= 0x00FFFFFFu;
    return image;
}

}  // namespace instalator::platform::win32
