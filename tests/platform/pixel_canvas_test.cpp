#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "platform/pixel_canvas.hpp"

namespace {

using instalator::platform::Color;
using instalator::platform::PixelCanvas;
using instalator::platform::SystemColor;

constexpr Color kRed{255, 0, 0};
constexpr Color kGreen{0, 255, 0};
constexpr Color kBlue{0, 0, 255};

// The canvas as rows of letters: . black, R red, G green, B blue, ? anything else.
std::vector<std::string> Art(const PixelCanvas& c) {
    std::vector<std::string> rows;
    for (int y = 0; y < c.Height(); ++y) {
        std::string row;
        for (int x = 0; x < c.Width(); ++x) {
            const Color p = c.Pixel(x, y);
            row += p == Color{} ? '.' : p == kRed ? 'R' : p == kGreen ? 'G' : p == kBlue ? 'B' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

struct Drawing {
    const char* name;
    std::function<void(PixelCanvas&)> draw;
    std::vector<std::string> expected;
};

// Each drawing starts on a black 7 × 5 canvas with a red pen and a green brush.
TEST(PixelCanvas, DrawsWithTheRulesOfGdi) {
    const Drawing drawings[] = {
        {"rectangle: right and bottom exclusive", [](PixelCanvas& c) { c.Rectangle(1, 1, 5, 4); },
         {".......", ".RRRR..", ".RGGR..", ".RRRR..", "......."}},
        {"rectangle given corner to corner backwards", [](PixelCanvas& c) { c.Rectangle(5, 4, 1, 1); },
         {".......", ".RRRR..", ".RGGR..", ".RRRR..", "......."}},
        {"rectangle clipped at the left and bottom", [](PixelCanvas& c) { c.Rectangle(-1, 2, 3, 9); },
         {".......", ".......", "RRR....", "GGR....", "GGR...."}},
        {"rectangle two pixels high has no inside", [](PixelCanvas& c) { c.Rectangle(0, 0, 3, 2); },
         {"RRR....", "RRR....", ".......", ".......", "......."}},
        {"line without its end point", [](PixelCanvas& c) { c.MoveTo(0, 0); c.LineTo(4, 0); },
         {"RRRR...", ".......", ".......", ".......", "......."}},
        {"line drawn backwards", [](PixelCanvas& c) { c.MoveTo(4, 1); c.LineTo(0, 1); },
         {".......", ".RRRR..", ".......", ".......", "......."}},
        {"shallow line, then on from its end", [](PixelCanvas& c) { c.MoveTo(0, 0); c.LineTo(6, 2); c.LineTo(6, 5); },
         {"RR.....", "..RRR..", ".....RR", "......R", "......R"}},
        {"half-way steps go to the smaller coordinate", [](PixelCanvas& c) { c.MoveTo(0, 0); c.LineTo(4, 1); },
         {"RRR....", "...R...", ".......", ".......", "......."}},
        {"half-way steps backwards too", [](PixelCanvas& c) { c.MoveTo(4, 1); c.LineTo(0, 0); },
         {".RR....", "...RR..", ".......", ".......", "......."}},
        {"steep line", [](PixelCanvas& c) { c.MoveTo(1, 0); c.LineTo(3, 5); },
         {".R.....", ".R.....", "..R....", "..R....", "...R..."}},
        {"line from far away", [](PixelCanvas& c) { c.MoveTo(INT_MIN, 3); c.LineTo(INT_MAX, 3); },
         {".......", ".......", ".......", "RRRRRRR", "......."}},
        {"fill clipped, no outline", [](PixelCanvas& c) { c.FillRect(-5, 3, 2, 99, kBlue); },
         {".......", ".......", ".......", "BB.....", "BB....."}},
        {"empty fill", [](PixelCanvas& c) { c.FillRect(3, 3, 1, 1, kBlue); },
         {".......", ".......", ".......", ".......", "......."}},
        {"ellipse", [](PixelCanvas& c) { c.Ellipse(0, 0, 7, 5); },
         {"..RRR..", ".RGGGR.", "RGGGGGR", ".RGGGR.", "..RRR.."}},
        {"ellipse of even size", [](PixelCanvas& c) { c.Ellipse(0, 0, 6, 4); },
         {".RRRR..", "RGGGGR.", "RGGGGR.", ".RRRR..", "......."}},
        {"ellipse one pixel wide", [](PixelCanvas& c) { c.Ellipse(2, 0, 3, 4); },
         {"..R....", "..R....", "..R....", "..R....", "......."}},
        {"pixels outside are dropped",
         [](PixelCanvas& c) {
             for (const auto& [x, y] : {std::pair{-1, 0}, {7, 0}, {6, 4}, {0, 5}}) c.SetPixel(x, y, kBlue);
         },
         {".......", ".......", ".......", ".......", "......B"}},
    };
    for (const Drawing& drawing : drawings) {
        SCOPED_TRACE(drawing.name);
        PixelCanvas canvas(7, 5);
        canvas.SetPen(kRed);
        canvas.SetBrush(kGreen);
        drawing.draw(canvas);
        EXPECT_EQ(Art(canvas), drawing.expected);
    }
}

TEST(PixelCanvas, CopiesBlocksClippedOnBothSides) {
    PixelCanvas source(4, 1);
    source.SetPixel(0, 0, kRed);
    source.SetPixel(1, 0, kGreen);
    source.SetPixel(2, 0, kBlue);
    PixelCanvas target(4, 2);
    target.CopyFrom(source, -1, 0, 2, 1, 9, 9);  // source column -1 and target column 4 lie outside
    EXPECT_EQ(Art(target), (std::vector<std::string>{"....", "...R"}));
    source.CopyFrom(source, 0, 0, 1, 0, 3, 1);  // overlapping copy onto itself
    EXPECT_EQ(Art(source), (std::vector<std::string>{"RRGB"}));
}

TEST(PixelCanvas, CompatibleSurfacesShareSystemColours) {
    PixelCanvas canvas(2, 2, kBlue);
    EXPECT_EQ(canvas.SystemColour(SystemColor::ButtonFace), (Color{192, 192, 192}));
    EXPECT_EQ(canvas.SystemColour(SystemColor::ButtonShadow), (Color{128, 128, 128}));
    EXPECT_EQ(canvas.SystemColour(SystemColor::ButtonHighlight), (Color{255, 255, 255}));
    canvas.SetSystemColour(SystemColor::ButtonShadow, kRed);
    const auto tile = canvas.CreateCompatible(3, 1);
    EXPECT_EQ(tile->SystemColour(SystemColor::ButtonShadow), kRed);
    EXPECT_EQ(Art(dynamic_cast<const PixelCanvas&>(*tile)), (std::vector<std::string>{"..."}));
    EXPECT_THROW(canvas.Pixel(2, 0), std::out_of_range);
}

}  // namespace
