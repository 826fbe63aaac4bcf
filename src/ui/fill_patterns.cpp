// The standard background patterns. "Blue" is the installer's; the others give
// the raised and engraved looks of the platform's 3-D colours, either as a
// 30 × 30 tile that the control repeats or drawn over the whole area.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ui/form_fill.hpp"

namespace instalator::ui {

namespace {

using platform::Canvas;
using platform::Color;
using platform::SystemColor;

constexpr Color kBlack{0, 0, 0};
constexpr Color kSilver{192, 192, 192};

Color Face(const Canvas& c) { return c.SystemColour(SystemColor::ButtonFace); }
Color Shadow(const Canvas& c) { return c.SystemColour(SystemColor::ButtonShadow); }
Color Light(const Canvas& c) { return c.SystemColour(SystemColor::ButtonHighlight); }

// A number in 0..n-1 from the control's generator.
int Pick(TFormFill& fill, int n) { return n > 0 ? static_cast<int>(fill.Random()() % static_cast<unsigned>(n)) : 0; }

// A grain is two pixels on a diagonal: raised light above a shadow, or engraved.
void Grain(Canvas& c, int x, int y, bool raised) {
    c.SetPixel(x, y, raised ? Light(c) : Shadow(c));
    c.SetPixel(x + 1, y + 1, raised ? Shadow(c) : Light(c));
}

void RandomGrains(TFormFill& fill, Canvas& c, int count, bool raised) {
    for (int i = 0; i < count; ++i) {
        const int x = Pick(fill, kTileSize - 1);
        Grain(c, x, Pick(fill, kTileSize - 1), raised);
    }
}

void Line(Canvas& c, Color colour, int x0, int y0, int x1, int y1) {
    c.SetPen(colour);
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

void VerticalLine(Canvas& c, Color colour, int x, int top, int bottom) { Line(c, colour, x, top, x, bottom); }

void Box(Canvas& c, Color pen, Color brush, int left, int top, int right, int bottom) {
    c.SetPen(pen);
    c.SetBrush(brush);
    c.Rectangle(left, top, right, bottom);
}

void Round(Canvas& c, Color pen, Color brush, int left, int top, int right, int bottom) {
    c.SetPen(pen);
    c.SetBrush(brush);
    c.Ellipse(left, top, right, bottom);
}

// A small round hole: shadow on its upper left rim, light on its lower right,
// silver inside.
void Hole(Canvas& c, int x, int y) {
    Round(c, Shadow(c), Shadow(c), x, y, x + 7, y + 7);
    Round(c, Light(c), Light(c), x + 1, y + 1, x + 8, y + 8);
    Round(c, kSilver, kSilver, x + 1, y + 1, x + 7, y + 7);
}

void RandomHoles(TFormFill& fill, int count) {
    Canvas& c = fill.Surface();
    for (int i = 0; i < count; ++i) {
        const int x = Pick(fill, fill.Width());
        Hole(c, x, Pick(fill, fill.Height()));
    }
}

// About one item per cell × cell pixels of the client area.
int PerArea(const TFormFill& fill, int cell) {
    return static_cast<int>(static_cast<std::int64_t>(fill.Width()) * fill.Height() / (cell * cell));
}

// Copies count squares of the tile, side size, from random places of the tile to
// random places of the area.
void RandomPatches(TFormFill& fill, int count, int size) {
    for (int i = 0; i < count; ++i) {
        const int sx = Pick(fill, kTileSize - size + 1), sy = Pick(fill, kTileSize - size + 1);
        const int x = Pick(fill, fill.Width());
        fill.Surface().CopyFrom(fill.Tile(), sx, sy, x, Pick(fill, fill.Height()), size, size);
    }
}

void FillArea(TFormFill& fill) { fill.Surface().FillRect(0, 0, fill.Width(), fill.Height(), fill.Colour()); }

// The vertical grooves that "ElPaso" and "Hanoi" share.
void TileGrooves(Canvas& c) {
    for (const int x : {4, 19}) {
        VerticalLine(c, Shadow(c), x, 0, kTileSize);
        VerticalLine(c, Light(c), x + 1, 0, kTileSize);
    }
}

void ElPasoTile(TFormFill& fill) {
    Canvas& tile = fill.Tile();
    RandomGrains(fill, tile, 4, false);
    RandomGrains(fill, tile, 4, true);
    TileGrooves(tile);
}

// A raised plate with a rivet near each corner.
void PittsburgTile(Canvas& c) {
    VerticalLine(c, Light(c), 0, 0, kTileSize - 1);
    Line(c, Light(c), 0, 0, kTileSize - 1, 0);
    VerticalLine(c, Shadow(c), kTileSize - 1, 0, kTileSize);
    Line(c, Shadow(c), 0, kTileSize - 1, kTileSize, kTileSize - 1);
    for (const int x : {4, 23}) {
        for (const int y : {4, 23}) {
            c.SetPixel(x, y, Light(c));
            c.SetPixel(x + 1, y, Light(c));
            c.SetPixel(x, y + 1, Light(c));
            c.SetPixel(x + 2, y + 1, Shadow(c));
            c.SetPixel(x + 1, y + 2, Shadow(c));
            c.SetPixel(x + 2, y + 2, Shadow(c));
        }
    }
}

// Bricks 30 × 15 with light joints, every other course shifted by 15.
void BrickTile(Canvas& c) {
    Line(c, Light(c), 0, 0, kTileSize, 0);
    Line(c, Light(c), 0, 15, kTileSize, 15);
    VerticalLine(c, Light(c), 0, 0, 15);
    VerticalLine(c, Light(c), 15, 15, kTileSize);
}

void PaintAdobe(TFormFill& fill, int& tileSize) {
    RandomGrains(fill, fill.Tile(), 100, true);
    fill.RepeatTile(kTileSize);
    RandomHoles(fill, PerArea(fill, 60));
    tileSize = 0;
}

void PaintAlcatraz(TFormFill& fill, int&) {
    Canvas& c = fill.Tile();
    PittsburgTile(c);
    for (const int x : {8, 20}) {
        VerticalLine(c, Shadow(c), x, 0, kTileSize);
        VerticalLine(c, Light(c), x + 1, 0, kTileSize);
        VerticalLine(c, Face(c), x + 2, 0, kTileSize);
        VerticalLine(c, Shadow(c), x + 3, 0, kTileSize);
    }
}

void PaintElPaso(TFormFill& fill, int&) { ElPasoTile(fill); }

void PaintHanoi(TFormFill& fill, int&) {
    Canvas& c = fill.Tile();
    for (int k = 0; k < 95; ++k) Grain(c, (k * 13 + 3) % 29, (k * 7 + k / 29) % 29, false);
    TileGrooves(c);
}

// A ruled notebook page.
void PaintHarvard(TFormFill& fill, int& tileSize) {
    Canvas& c = fill.Surface();
    const int w = fill.Width(), h = fill.Height();
    FillArea(fill);
    c.FillRect(8, 8, w - 5, h - 5, Shadow(c));
    Box(c, kBlack, Light(c), 5, 5, w - 8, h - 8);
    for (int y = 40; y < h - 20; y += 20) Line(c, Color{96, 96, 255}, 6, y, w - 9, y);
    VerticalLine(c, Color{255, 0, 0}, w / 8, 6, h - 9);
    const int x = w / 16, r = 8;
    for (int k = 0; k < 4; ++k) {
        const int y = h / 8 + k * h / 4;
        Round(c, kBlack, fill.Colour(), x - r, y - r, x + r, y + r);
    }
    tileSize = 0;
}

void PaintHoles(TFormFill& fill, int& tileSize) {
    FillArea(fill);
    RandomHoles(fill, PerArea(fill, 15));
    tileSize = 0;
}

void PaintHollywood(TFormFill& fill, int&) {
    Canvas& c = fill.Tile();
    for (int y = 0; y < kTileSize; y += 15) {
        for (int x = 0; x < kTileSize; x += 15) {
            const bool face = (x + y) % 30 == 0;
            Box(c, face ? Light(c) : Face(c), face ? Face(c) : Light(c), x, y, x + 15, y + 15);
        }
    }
}

void PaintHonolulu(TFormFill& fill, int&) {
    Canvas& c = fill.Tile();
    Line(c, Light(c), 0, 0, kTileSize, kTileSize);
    Line(c, Shadow(c), 0, 15, 15, 0);
    Line(c, Shadow(c), 15, kTileSize, kTileSize, 15);
}

void PaintLondon(TFormFill& fill, int& tileSize) {
    RandomGrains(fill, fill.Tile(), 150, true);
    BrickTile(fill.Tile());
    fill.RepeatTile(kTileSize);
    tileSize = 0;
}

void PaintManhattan(TFormFill& fill, int& tileSize) {
    BrickTile(fill.Tile());
    fill.RepeatTile(kTileSize);
    Canvas& c = fill.Surface();
    for (int i = PerArea(fill, 20); i > 0; --i) {
        const int x = Pick(fill, fill.Width()), y = Pick(fill, fill.Height());
        Grain(c, x, y, true);
        Grain(c, x + 2, y, false);
    }
    tileSize = 0;
}

void PaintMinsk(TFormFill& fill, int&) {
    Canvas& c = fill.Tile();
    c.FillRect(7, 0, 14, kTileSize, Light(c));
    c.FillRect(21, 0, 28, kTileSize, Light(c));
    VerticalLine(c, Shadow(c), 14, 0, kTileSize);
    VerticalLine(c, Shadow(c), 28, 0, kTileSize);
}

void PaintOrleans(TFormFill& fill, int& tileSize) {
    PaintHoles(fill, tileSize);
    Canvas& c = fill.Surface();
    for (int x = 0; x < fill.Width(); x += kTileSize) {
        for (const int groove : {10, 13}) {
            VerticalLine(c, Shadow(c), x + groove, 0, fill.Height());
            VerticalLine(c, Light(c), x + groove + 1, 0, fill.Height());
        }
    }
}

void PaintOshawa(TFormFill& fill, int& tileSize) {
    ElPasoTile(fill);
    RandomGrains(fill, fill.Tile(), 150, true);
    fill.RepeatTile(kTileSize);
    RandomPatches(fill, PerArea(fill, 16), 8);
    tileSize = 0;
}

// A sheet on a margin with a shadow of shadowWidth to its lower right.
void Sheet(TFormFill& fill, int shadowWidth) {
    Canvas& c = fill.Surface();
    const int w = fill.Width(), h = fill.Height();
    FillArea(fill);
    c.FillRect(5 + shadowWidth, 5 + shadowWidth, w - 5, h - 5, Shadow(c));
    Box(c, kBlack, Light(c), 5, 5, w - 5 - shadowWidth, h - 5 - shadowWidth);
}

void PaintPhiladelphia(TFormFill& fill, int& tileSize) {
    Sheet(fill, 7);
    tileSize = 0;
}

void PaintPittsburg(TFormFill& fill, int&) { PittsburgTile(fill.Tile()); }

void PaintSahara(TFormFill& fill, int& tileSize) {
    RandomGrains(fill, fill.Tile(), 150, true);
    fill.RepeatTile(kTileSize);
    RandomPatches(fill, PerArea(fill, 15), 15);
    tileSize = 0;
}

// An open book: a page area, its fold shaded towards the middle and stacked page
// edges near both sides.
void PaintSmithsonian(TFormFill& fill, int& tileSize) {
    Sheet(fill, 2);
    Canvas& c = fill.Surface();
    const int w = fill.Width(), h = fill.Height(), middle = (w - 2) / 2;
    const Color light = Light(c), dark = Shadow(c);
    for (int step = 0; step < 5; ++step) {
        auto mix = [&](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a + (b - a) * step / 4); };
        const Color shade{mix(light.r, dark.r), mix(light.g, dark.g), mix(light.b, dark.b)};
        VerticalLine(c, shade, middle - 4 + step, 6, h - 8);
        VerticalLine(c, shade, middle + 4 - step, 6, h - 8);
    }
    for (const int x : {8, 10, w - 11, w - 13}) VerticalLine(c, dark, x, 8, h - 10);
    tileSize = 0;
}

// Blue scan lines fading from full blue at the top to black at the bottom, with
// black lines between them and a black right-most column.
void PaintBlue(TFormFill& fill, int& tileSize) {
    tileSize = 1;
    if (fill.Height() <= 0) return;
    Canvas& c = fill.Surface();
    c.SetPen(kBlack, 1);
    const std::vector<int> levels = BlueLevels(fill.Height());
    for (std::size_t band = 0; band < levels.size(); ++band) {
        c.SetBrush(Color{0, 0, static_cast<std::uint8_t>(std::clamp(levels[band], 0, 255))});
        const int row = static_cast<int>(band) * 2;
        c.Rectangle(-1, row - 1, fill.Width(), row + 2);
    }
}

// Rounds to single precision. The store through a volatile float is needed where
// the compiler keeps floats in the wider x87 registers.
float Single(float value) {
    volatile float stored = value;
    return stored;
}

}  // namespace

std::vector<int> BlueLevels(int height) {
    std::vector<int> levels;
    if (height <= 0) return levels;
    const float step = Single(-510.0f / static_cast<float>(height));
    float level = 255.0f;
    for (int row = 0; row <= height; row += 2) {
        // Halves go to the even value: nearbyint under the default rounding mode.
        levels.push_back(static_cast<int>(std::nearbyint(level)));
        level = Single(level + step);
    }
    return levels;
}

void RegisterStandardFills(FillRegistry& registry) {
    registry.Register("Adobe", PaintAdobe);
    registry.Register("Orleans", PaintOrleans);
    registry.Register("Alcatraz", PaintAlcatraz);
    registry.Register("Holes", PaintHoles);
    registry.Register("Oshawa", PaintOshawa);
    registry.Register("London", PaintLondon);
    registry.Register("Hollywood", PaintHollywood);
    registry.Register("Minsk", PaintMinsk);
    registry.Register("Hanoi", PaintHanoi);
    registry.Register("Pittsburg", PaintPittsburg);
    registry.Register("Manhattan", PaintManhattan);
    registry.Register("Honolulu", PaintHonolulu);
    registry.Register("ElPaso", PaintElPaso);
    registry.Register("Sahara", PaintSahara);
    registry.Register("Smithsonian", PaintSmithsonian);
    registry.Register("Philadelphia", PaintPhiladelphia);
    registry.Register("Harvard", PaintHarvard);
    registry.Register("Blue", PaintBlue);
}

}  // namespace instalator::ui
