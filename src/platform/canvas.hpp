#pragma once
// Drawing surfaces with the semantics of the platform's GDI calls that the window
// painters use. The Win32 backend draws through GDI; the headless backend draws
// into memory (PixelCanvas) with the same pixel rules, so painters are tested
// pixel for pixel on Linux.

#include <cstdint>
#include <memory>

namespace instalator::platform {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Color&) const = default;
};

// The system colours of the raised 3-D look, resolved by each backend.
enum class SystemColor { ButtonFace, ButtonShadow, ButtonHighlight };

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual Color SystemColour(SystemColor which) const = 0;

    // The pen outlines shapes and draws lines (solid, width in pixels); the brush
    // fills shapes. A new canvas has a black one-pixel pen and a white brush.
    virtual void SetPen(Color colour, int width = 1) = 0;
    virtual void SetBrush(Color colour) = 0;

    // GDI Rectangle: outlined with the pen, filled with the brush; the right and
    // bottom coordinates are exclusive.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // GDI Ellipse in the same bounding-box convention.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // GDI MoveToEx/LineTo: the end point itself is not drawn.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // GDI FillRect: fills left..right-1, top..bottom-1 with the colour, no outline.
    virtual void FillRect(int left, int top, int right, int bottom, Color colour) = 0;
    virtual void SetPixel(int x, int y, Color colour) = 0;

    // An off-screen surface compatible with this one (a memory device context with
    // a compatible bitmap selected), released when the pointer goes.
    virtual std::unique_ptr<Canvas> CreateCompatible(int width, int height) = 0;
    // Plain source copy of a width × height block from source (sx, sy) to (x, y);
    // a source of another backend is refused with ImageError.
    virtual void CopyFrom(const Canvas& source, int sx, int sy, int x, int y, int width, int height) = 0;
};

}  // namespace instalator::platform
