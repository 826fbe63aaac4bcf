#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "platform/pixel_canvas.hpp"
#include "ui/form_fill.hpp"

namespace {

using namespace instalator;
using platform::Color;
using platform::PixelCanvas;
using ui::TFormFill;

constexpr Color kBlack{};
constexpr Color kSentinel{1, 2, 3};

// A window as the fill sees it. Its own procedure records what reaches it.
class Window : public ui::FillParent {
public:
    Window(int width, int height) : width_(width), height_(height) {
        procedure_ = [this](unsigned message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            received.push_back(message);
            return 7;
        };
    }

    ui::WindowProcedure WindowProc() override { return procedure_; }
    void SetWindowProc(ui::WindowProcedure procedure) override {
        procedure_ = std::move(procedure);
        ++procedureChanges;
    }
    void InsertFill(TFormFill& fill) override { fills.insert(fills.begin(), &fill); }
    void RemoveFill(TFormFill& fill) override { std::erase(fills, &fill); }
    bool HasOtherFill(const TFormFill& fill) const override {
        return std::any_of(fills.begin(), fills.end(), [&](const TFormFill* f) { return f != &fill; });
    }
    void Repaint() override { ++repaints; }
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }

    std::intptr_t Send(unsigned message) { return procedure_(message, 0, 0); }

    std::vector<TFormFill*> fills;
    std::vector<unsigned> received;
    int procedureChanges = 0;
    int repaints = 0;

private:
    int width_;
    int height_;
    ui::WindowProcedure procedure_;
};

PixelCanvas PaintedBy(TFormFill& fill, Window& window) {
    PixelCanvas canvas(window.ClientWidth(), window.ClientHeight(), kSentinel);
    fill.Paint(canvas);
    return canvas;
}

TEST(BlueLevels, MatchTheGradientsWorkedExamples) {
    const std::vector<int> tall = ui::BlueLevels(600);
    ASSERT_EQ(tall.size(), 301u);
    EXPECT_EQ(tall[0], 255);
    EXPECT_EQ(tall[1], 254);    // 255 - 0.85 in single precision
    EXPECT_EQ(tall[150], 127);  // row 300
    EXPECT_EQ(tall[300], 0);    // row 600, outside the area
    const std::vector<int> vga = ui::BlueLevels(480);  // step -1.0625, every value exact
    EXPECT_EQ(vga[8], 246);    // 246.5: halves go to the even value, not up
    EXPECT_EQ(vga[119], 129);  // 128.5625
    EXPECT_EQ(vga[120], 128);  // exactly 127.5: the half goes to the even value
    EXPECT_EQ(vga[121], 126);  // 126.4375
}

// The level falls by 255 over the height: the band at row H (even heights) is 0;
// with an odd height the last band, at row H - 1, is 255 ÷ H.
TEST(BlueLevels, FadeFromFullBlueToBlackAtEveryHeight) {
    for (int height = 1; height <= 1600; ++height) {
        const std::vector<int> levels = ui::BlueLevels(height);
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(height / 2 + 1)) << height;
        EXPECT_EQ(levels.front(), 255) << height;
        EXPECT_EQ(levels.back(), height % 2 == 0 ? 0 : static_cast<int>(std::nearbyint(255.0 / height))) << height;
        EXPECT_TRUE(std::is_sorted(levels.rbegin(), levels.rend())) << height;
        EXPECT_GE(*std::min_element(levels.begin(), levels.end()), 0) << height;
    }
}

// Every pixel of the "Blue" picture: even rows blue at their band's level except
// the right-most column, everything else black.
TEST(FormFill, PaintsBluePixelExact) {
    for (const auto& [width, height] : {std::pair{3, 1}, {3, 2}, {5, 7}, {4, 8}, {3, 480}, {2, 600}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Window window(width, height);
        TFormFill fill;
        fill.SetParent(&window);
        fill.SetFillType("Blue");
        const PixelCanvas canvas = PaintedBy(fill, window);
        const std::vector<int> levels = ui::BlueLevels(height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool blue = y % 2 == 0 && x < width - 1;
                const Color expected = blue ? Color{0, 0, static_cast<std::uint8_t>(levels[y / 2])} : kBlack;
                ASSERT_EQ(canvas.Pixel(x, y), expected) << "pixel " << x << ", " << y;
            }
        }
    }
}

TEST(FormFill, FillTypeSelectsRegisteredNamesOnly) {
    Window window(4, 4);
    TFormFill fill;
    fill.SetParent(&window);
    EXPECT_EQ(fill.FillType(), "Adobe");
    fill.SetFillType("blue");
    EXPECT_EQ(fill.FillType(), "Blue");
    EXPECT_EQ(window.repaints, 1);
    fill.SetFillType("BLUE");      // already the pattern
    fill.SetFillType("Nowhere");   // not registered
    EXPECT_EQ(fill.FillType(), "Blue");
    EXPECT_EQ(window.repaints, 1);
}

TEST(FillRegistry, KeepsNamesSortedAndReplacesRoutines) {
    const char* const sorted[] = {"Adobe",    "Alcatraz", "Blue",      "ElPaso",  "Hanoi",        "Harvard",
                                  "Holes",    "Hollywood", "Honolulu", "London",  "Manhattan",    "Minsk",
                                  "Orleans",  "Oshawa",   "Philadelphia", "Pittsburg", "Sahara", "Smithsonian"};
    ui::FillRegistry registry;
    ui::RegisterStandardFills(registry);
    ASSERT_EQ(registry.Count(), 18);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(registry.At(i).name, sorted[i]);

    int calls = 0;
    registry.Register("BLUE", [&](TFormFill&, int& tileSize) { ++calls, tileSize = 0; });
    registry.Register("Zebra", nullptr);  // no routine: nothing registered
    registry.Register("aardvark", [](TFormFill&, int&) {});
    ASSERT_EQ(registry.Count(), 19);
    EXPECT_EQ(registry.At(0).name, "aardvark");
    EXPECT_EQ(registry.At(3).name, "Blue");
    EXPECT_EQ(registry.IndexOf("zebra"), std::nullopt);
    TFormFill fill(registry);
    fill.SetFillType("Blue");
    PixelCanvas canvas(2, 2);
    fill.Paint(canvas);
    EXPECT_EQ(calls, 1);
}

TEST(FormFill, FirstFillOfAWindowSwallowsEraseWhileVisible) {
    Window window(10, 10);
    auto fill = std::make_unique<TFormFill>();
    fill->SetParent(&window);
    EXPECT_EQ(window.Send(ui::kEraseBackground), 1);
    EXPECT_EQ(window.Send(15), 7);  // everything else reaches the window
    fill->SetVisible(false);
    EXPECT_EQ(window.Send(ui::kEraseBackground), 7);
    EXPECT_EQ(window.received, (std::vector<unsigned>{15, ui::kEraseBackground}));
    fill->SetVisible(true);

    // A second fill installs no second hook; the first keeps the window.
    auto second = std::make_unique<TFormFill>();
    second->SetParent(&window);
    EXPECT_FALSE(second->HooksParent());
    EXPECT_EQ(window.procedureChanges, 1);
    second.reset();
    EXPECT_EQ(window.Send(ui::kEraseBackground), 1);

    // Moving to another window gives the first its own procedure back.
    Window other(5, 5);
    fill->SetParent(&other);
    EXPECT_EQ(window.Send(ui::kEraseBackground), 7);
    EXPECT_EQ(other.Send(ui::kEraseBackground), 1);
    EXPECT_EQ(window.fills.size(), 0u);
    fill.reset();
    EXPECT_EQ(other.Send(ui::kEraseBackground), 7);
    EXPECT_EQ(other.fills.size(), 0u);
}

// A registry of test patterns: a 30 × 30 tile with a distinct colour in every
// pixel, repeated in squares of the given size.
ui::FillRegistry TileRegistry() {
    ui::FillRegistry registry;
    for (const int size : {30, 20}) {
        registry.Register("Tile" + std::to_string(size), [size](TFormFill& fill, int& tileSize) {
            for (int y = 0; y < ui::kTileSize; ++y)
                for (int x = 0; x < ui::kTileSize; ++x)
                    fill.Tile().SetPixel(x, y, Color{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9});
            tileSize = size;
        });
    }
    registry.Register("Untouched", [](TFormFill&, int&) {});
    return registry;
}

TEST(FormFill, RepeatsTheTileOverTheArea) {
    ui::FillRegistry registry = TileRegistry();
    for (const int size : {30, 20}) {
        Window window(97, 43);
        TFormFill fill(registry);
        fill.SetParent(&window);
        fill.SetFillType("Tile" + std::to_string(size));
        const PixelCanvas canvas = PaintedBy(fill, window);
        for (int y = 0; y < 43; ++y) {
            for (int x = 0; x < 97; ++x) {
                const Color expected{static_cast<std::uint8_t>(x % size), static_cast<std::uint8_t>(y % size), 9};
                ASSERT_EQ(canvas.Pixel(x, y), expected) << size << ": " << x << ", " << y;
            }
        }
    }
}

TEST(FormFill, TileStartsInTheControlsColour) {
    ui::FillRegistry registry = TileRegistry();
    Window window(31, 31);
    TFormFill fill(registry);
    fill.SetParent(&window);
    fill.SetFillType("Untouched");
    PixelCanvas canvas(31, 31, kSentinel);
    canvas.SetSystemColour(platform::SystemColor::ButtonFace, Color{10, 20, 30});
    fill.Paint(canvas);
    EXPECT_EQ(canvas.Pixel(0, 0), (Color{10, 20, 30}));
    EXPECT_EQ(canvas.Pixel(30, 30), (Color{10, 20, 30}));
}

// A paint that starts while another is in progress fails; the failure releases
// the tile of the outer paint, so later paints work again.
TEST(FormFill, NestedPaintFailsAndLeavesNoTileBehind) {
    ui::FillRegistry registry = TileRegistry();
    bool nest = true;
    registry.Register("Nested", [&](TFormFill& fill, int&) {
        if (nest) fill.Paint(fill.Surface());
    });
    TFormFill fill(registry);
    fill.SetFillType("Nested");
    PixelCanvas canvas(4, 4);
    try {
        fill.Paint(canvas);
        ADD_FAILURE() << "nested paint accepted";
    } catch (const ui::FillError& error) {
        EXPECT_STREQ(error.what(), "FillType was already started");
    }
    nest = false;
    EXPECT_NO_THROW(fill.Paint(canvas));
}

// The other patterns cover the whole area, draw the same picture from the same
// seed, and differ from one another.
TEST(FormFill, EveryPatternCoversTheAreaDeterministically) {
    std::set<std::vector<std::uint32_t>> pictures;
    for (int i = 0; i < ui::Fills().Count(); ++i) {
        const std::string name = ui::Fills().At(i).name;
        SCOPED_TRACE(name);
        std::vector<std::uint32_t> first;
        for (int run = 0; run < 2; ++run) {
            Window window(97, 61);
            TFormFill fill;
            fill.SeedRandom(2024);
            fill.SetParent(&window);
            fill.SetFillType(name);
            const PixelCanvas canvas = PaintedBy(fill, window);
            std::vector<std::uint32_t> picture;
            for (int y = 0; y < 61; ++y) {
                for (int x = 0; x < 97; ++x) {
                    const Color p = canvas.Pixel(x, y);
                    ASSERT_NE(p, kSentinel) << x << ", " << y;
                    picture.push_back(std::uint32_t{p.r} << 16 | p.g << 8 | p.b);
                }
            }
            if (run == 0) first = picture;
            EXPECT_EQ(picture, first);
        }
        pictures.insert(first);
    }
    EXPECT_EQ(pictures.size(), 18u);
}

}  // namespace
