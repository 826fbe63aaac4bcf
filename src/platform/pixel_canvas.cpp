#include "platform/pixel_canvas.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "platform/image.hpp"

namespace instalator::platform {

namespace {

using Wide = std::int64_t;

// Orders a box the way GDI does before drawing a shape in it.
void Normalise(int& left, int& top, int& right, int& bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

// Floor division for a positive divisor.
Wide FloorDiv(Wide a, Wide b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// GDI keeps coordinates within ±2^27; so does this canvas, which keeps the line
// arithmetic within 64 bits. Shapes are bounded more tightly (the midpoint
// ellipse squares its radii twice).
constexpr Wide kLineLimit = Wide{1} << 27;
constexpr int kShapeLimit = 1 << 14;

int ClampShape(int v) { return std::clamp(v, -kShapeLimit, kShapeLimit); }

// One quadrant of the midpoint ellipse with radii a and b: for each row offset
// 0..b from the centre, the first and last column offsets of its outline.
std::vector<std::pair<Wide, Wide>> QuadrantRows(Wide a, Wide b) {
    std::vector<std::pair<Wide, Wide>> rows(static_cast<std::size_t>(b + 1), {-1, -1});
    if (b == 0) {
        rows[0] = {0, a};
        return rows;
    }
    auto plot = [&](Wide x, Wide y) {
        auto& [first, last] = rows[static_cast<std::size_t>(y)];
        first = first < 0 ? x : std::min(first, x);
        last = std::max(last, x);
    };
    const Wide a2 = a * a, b2 = b * b;
    Wide x = 0, y = b, dx = 0, dy = 2 * a2 * y;
    // Flat part, stepping x; decision values are four times the textbook ones.
    Wide p = 4 * b2 - 4 * a2 * b + a2;
    while (dx < dy) {
        plot(x, y);
        ++x;
        dx += 2 * b2;
        if (p < 0) {
            p += 4 * (dx + b2);
        } else {
            --y;
            dy -= 2 * a2;
            p += 4 * (dx - dy + b2);
        }
    }
    // Steep part, stepping y.
    p = b2 * (2 * x + 1) * (2 * x + 1) + 4 * a2 * (y - 1) * (y - 1) - 4 * a2 * b2;
    while (y >= 0) {
        plot(x, y);
        --y;
        dy -= 2 * a2;
        if (p > 0) {
            p += 4 * (a2 - dy);
        } else {
            ++x;
            dx += 2 * b2;
            p += 4 * (dx - dy + a2);
        }
    }
    return rows;
}

}  // namespace

PixelCanvas::PixelCanvas(int width, int height, Color fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

Color PixelCanvas::SystemColour(SystemColor which) const { return systemColours_[static_cast<int>(which)]; }

void PixelCanvas::SetSystemColour(SystemColor which, Color colour) { systemColours_[static_cast<int>(which)] = colour; }

void PixelCanvas::SetPen(Color colour, int width) {
    penColour_ = colour;
    penWidth_ = std::max(width, 1);
}

void PixelCanvas::SetBrush(Color colour) { brushColour_ = colour; }

void PixelCanvas::Plot(int x, int y, Color colour) {
    if (Inside(x, y)) pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void PixelCanvas::Fill(Wide left, Wide top, Wide right, Wide bottom, Color colour) {
    FillRect(static_cast<int>(std::max<Wide>(left, 0)), static_cast<int>(std::max<Wide>(top, 0)),
             static_cast<int>(std::min<Wide>(right, width_)), static_cast<int>(std::min<Wide>(bottom, height_)), colour);
}

void PixelCanvas::PenDot(int x, int y) {
    if (penWidth_ == 1) return Plot(x, y, penColour_);
    const Wide from = -(penWidth_ - 1) / 2;
    Fill(x + from, y + from, x + from + penWidth_, y + from + penWidth_, penColour_);
}

void PixelCanvas::Rectangle(int left, int top, int right, int bottom) {
    Normalise(left, top, right, bottom);
    if (left == right || top == bottom) return;
    FillRect(left + 1, top + 1, right - 1, bottom - 1, brushColour_);
    // The outline: pen dots along columns left and right-1 and rows top and
    // bottom-1, as four strips of the pen's width.
    const Wide from = -(penWidth_ - 1) / 2, to = from + penWidth_;
    const Wide l = left, t = top, r = Wide{right} - 1, b = Wide{bottom} - 1;
    Fill(l + from, t + from, r + to, t + to, penColour_);
    Fill(l + from, b + from, r + to, b + to, penColour_);
    Fill(l + from, t + from, l + to, b + to, penColour_);
    Fill(r + from, t + from, r + to, b + to, penColour_);
}

// The midpoint ellipse through the outermost pixels of the box. An even width or
// height puts a flat stretch of one pixel between the two halves, as a centre
// between two pixels needs.
void PixelCanvas::Ellipse(int left, int top, int right, int bottom) {
    Normalise(left, top, right, bottom);
    left = ClampShape(left), top = ClampShape(top), right = ClampShape(right), bottom = ClampShape(bottom);
    if (left == right || top == bottom) return;
    const int a = (right - left - 1) / 2, b = (bottom - top - 1) / 2;
    const int xl = left + a, xr = xl + (right - left - 1) % 2;
    const int yt = top + b, yb = yt + (bottom - top - 1) % 2;
    const auto rows = QuadrantRows(a, b);
    for (int pass = 0; pass < 2; ++pass) {  // the inside first, then the outline over it
        for (int dy = 0; dy <= b; ++dy) {
            const auto [first, last] = rows[static_cast<std::size_t>(dy)];
            if (first < 0) continue;
            for (const int y : {yt - dy, yb + dy}) {
                const int inside = static_cast<int>(first);  // columns nearer the centre than the outline
                if (pass == 0) {
                    if (inside > 0) FillRect(xl - inside + 1, y, xr + inside, y + 1, brushColour_);
                    continue;
                }
                for (Wide dx = first; dx <= last; ++dx) {
                    PenDot(xl - static_cast<int>(dx), y);
                    PenDot(xr + static_cast<int>(dx), y);
                }
            }
        }
    }
}

void PixelCanvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

// Bresenham's line from the current position towards (x, y), without the end
// point. Step k of the major axis has the minor offset k·minor/major rounded to the
// nearest pixel; exactly half-way, GDI takes the smaller coordinate whichever way
// the line runs. Steps whose major coordinate cannot reach the surface are
// skipped, so a far-away line costs nothing.
void PixelCanvas::LineTo(int x, int y) {
    const Wide x0 = std::clamp<Wide>(penX_, -kLineLimit, kLineLimit);
    const Wide y0 = std::clamp<Wide>(penY_, -kLineLimit, kLineLimit);
    MoveTo(x, y);
    const Wide dx = std::clamp<Wide>(x, -kLineLimit, kLineLimit) - x0;
    const Wide dy = std::clamp<Wide>(y, -kLineLimit, kLineLimit) - y0;
    const Wide adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const Wide major = std::max(adx, ady), minor = std::min(adx, ady);
    if (major == 0) return;
    const bool xMajor = adx >= ady;
    const Wide majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
    const Wide majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const Wide minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const Wide limit = (xMajor ? width_ : height_) + penWidth_;
    // Steps k with majorStart + k·majorSign within [-penWidth, limit].
    Wide kFirst = 0, kLast = major - 1;
    const Wide lowK = majorSign > 0 ? -penWidth_ - majorStart : majorStart - limit;
    const Wide highK = majorSign > 0 ? limit - majorStart : majorStart + penWidth_;
    kFirst = std::max(kFirst, lowK);
    kLast = std::min(kLast, highK);
    for (Wide k = kFirst; k <= kLast; ++k) {
        const Wide a = majorStart + k * majorSign;
        const Wide b = minorStart + minorSign * FloorDiv(2 * k * minor + major - (minorSign > 0 ? 1 : 0), 2 * major);
        // A minor coordinate far off the surface is pulled in to just outside it.
        const Wide span = (xMajor ? height_ : width_) + penWidth_ + 1;
        const int minorAt = static_cast<int>(std::clamp<Wide>(b, -penWidth_ - 1, span));
        if (xMajor)
            PenDot(static_cast<int>(a), minorAt);
        else
            PenDot(minorAt, static_cast<int>(a));
    }
}

void PixelCanvas::FillRect(int left, int top, int right, int bottom, Color colour) {
    const int x0 = std::max(left, 0), x1 = std::min(right, width_);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, height_);
    for (int y = y0; y < y1; ++y) {
        std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + x0, std::max(x1 - x0, 0), colour);
    }
}

void PixelCanvas::SetPixel(int x, int y, Color colour) { Plot(x, y, colour); }

std::unique_ptr<Canvas> PixelCanvas::CreateCompatible(int width, int height) {
    auto canvas = std::make_unique<PixelCanvas>(width, height);
    std::copy(std::begin(systemColours_), std::end(systemColours_), std::begin(canvas->systemColours_));
    return canvas;
}

void PixelCanvas::CopyFrom(const Canvas& source, int sx, int sy, int x, int y, int width, int height) {
    const auto* from = dynamic_cast<const PixelCanvas*>(&source);
    if (from == nullptr) throw ImageError("PixelCanvas copies only from another PixelCanvas");
    // Clip the block against both surfaces, moving both corners together.
    Wide left = 0, top = 0, right = width, bottom = height;
    left = std::max({left, Wide{0} - sx, Wide{0} - x});
    top = std::max({top, Wide{0} - sy, Wide{0} - y});
    right = std::min({right, Wide{from->width_} - sx, Wide{width_} - x});
    bottom = std::min({bottom, Wide{from->height_} - sy, Wide{height_} - y});
    if (left >= right || top >= bottom) return;
    const std::size_t rowLength = static_cast<std::size_t>(right - left);
    std::vector<Color> block(rowLength * static_cast<std::size_t>(bottom - top));
    for (Wide row = top; row < bottom; ++row) {
        const auto start = from->pixels_.begin() + (sy + row) * from->width_ + (sx + left);
        std::copy_n(start, rowLength, block.begin() + (row - top) * static_cast<Wide>(rowLength));
    }
    for (Wide row = top; row < bottom; ++row) {
        const auto start = block.begin() + (row - top) * static_cast<Wide>(rowLength);
        std::copy_n(start, rowLength, pixels_.begin() + (y + row) * width_ + (x + left));
    }
}

Color PixelCanvas::Pixel(int x, int y) const {
    if (!Inside(x, y)) throw std::out_of_range("pixel outside the canvas");
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

}  // namespace instalator::platform
