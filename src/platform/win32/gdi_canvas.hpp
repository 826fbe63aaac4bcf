#pragma once
// The drawing surface over GDI: a window's paint context or a memory surface.

#include "platform/win32/win32_api.hpp"

#include <memory>

#include "platform/canvas.hpp"
#include "platform/win32/gdi.hpp"

namespace instalator::platform::win32 {

COLORREF ColorRef(Color colour);

class GdiCanvas final : public Canvas {
public:
    // Draws on dc, a surface of width × height pixels, which stays the caller's. The
    // canvas selects a black one-pixel pen and a white brush and puts the context's
    // own objects back when it goes.
    GdiCanvas(HDC dc, int width, int height);
    // Draws on a memory surface of its own.
    GdiCanvas(std::unique_ptr<MemorySurface> surface, int width, int height);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    Color SystemColour(SystemColor which) const override;

    void SetPen(Color colour, int width = 1) override;
    void SetBrush(Color colour) override;

    void Rectangle(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillRect(int left, int top, int right, int bottom, Color colour) override;
    void SetPixel(int x, int y, Color colour) override;

    // A memory context compatible with this one holding a bitmap compatible with it.
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override;
    // source must be a GdiCanvas; BitBlt with SRCCOPY.
    void CopyFrom(const Canvas& source, int sx, int sy, int x, int y, int width, int height) override;

    HDC Dc() const { return dc_; }

private:
    std::unique_ptr<MemorySurface> surface_;  // declared first: it outlives the selections
    HDC dc_;
    int width_;
    int height_;
    Pen pen_;
    Brush brush_;
    Selection penSelection_;
    Selection brushSelection_;
};

}  // namespace instalator::platform::win32
