#pragma once
// A drawing surface in memory with the pixel rules of the platform's GDI: the
// headless backend paints on it, and tests read its pixels back.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/canvas.hpp"

namespace instalator::platform {

class PixelCanvas final : public Canvas {
public:
    // A surface of width × height pixels, all of colour fill (a new bitmap is black).
    PixelCanvas(int width, int height, Color fill = {});

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    Color SystemColour(SystemColor which) const override;
    void SetSystemColour(SystemColor which, Color colour);

    // A pen wider than one pixel draws square dots: close to GDI's round-capped
    // wide pens, not pixel-exact.
    void SetPen(Color colour, int width = 1) override;
    void SetBrush(Color colour) override;

    void Rectangle(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillRect(int left, int top, int right, int bottom, Color colour) override;
    void SetPixel(int x, int y, Color colour) override;

    // The new surface shares this one's system colours and starts black.
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override;
    // source must be a PixelCanvas (it may be this one); both sides are clipped.
    void CopyFrom(const Canvas& source, int sx, int sy, int x, int y, int width, int height) override;

    // The pixel at (x, y); throws std::out_of_range outside the surface.
    Color Pixel(int x, int y) const;

private:
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void Plot(int x, int y, Color colour);
    // FillRect for a box that may reach beyond the int range.
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, Color colour);
    // A dot of the pen: a square of the pen's width around (x, y).
    void PenDot(int x, int y);

    int width_;
    int height_;
    std::vector<Color> pixels_;
    Color penColour_{};
    int penWidth_ = 1;
    Color brushColour_{255, 255, 255};
    int penX_ = 0;
    int penY_ = 0;
    Color systemColours_[3] = {{192, 192, 192}, {128, 128, 128}, {255, 255, 255}};
};

}  // namespace instalator::platform
