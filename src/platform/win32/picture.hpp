#pragma once
// Pictures on Win32: a decoded Image becomes a 32-bit DIB section, and the bitmap
// resources of the executable become Images, so every picture is drawn one way.

#include "platform/win32/win32_api.hpp"

#include "platform/image.hpp"
#include "platform/win32/gdi.hpp"

namespace instalator::platform::win32 {

// A top-down 32-bit DIB section holding the image's pixels.
Bitmap DibFromImage(const Image& image);
// The colour a transparent picture leaves out: its bottom-left pixel.
COLORREF TransparentColour(const Image& image);
// The BITMAP resource id of module; throws ImageError when it is missing.
Image ImageFromResource(HINSTANCE module, int id);

}  // namespace instalator::platform::win32
