#pragma once
// TFormFill: a windowless control that paints a decorative background over the
// whole client area of its parent window, drawn by one of a table of named
// patterns. It also takes over the parent's background erasing so that a
// full-screen window does not flash its window colour before every paint.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "platform/canvas.hpp"

namespace instalator::ui {

class TFormFill;

class FillError : public common::Error {
public:
    using common::Error::Error;
};

// The window message that asks a window to erase its background (WM_ERASEBKGND).
inline constexpr unsigned kEraseBackground = 20;

// A window procedure: message, first and second parameter -> result.
using WindowProcedure = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

// What a fill control needs of the window it covers. The toolkit's window adapts
// itself to this; the window must detach its fills (SetParent(nullptr)) or
// outlive them.
class FillParent {
public:
    virtual ~FillParent() = default;

    // The window's procedure slot. Reading it creates the native window when it
    // does not exist yet. The window sends every message through the procedure
    // in the slot; the one it starts with does the window's normal handling.
    virtual WindowProcedure WindowProc() = 0;
    virtual void SetWindowProc(WindowProcedure procedure) = 0;

    // The window's control list: a fill joins it beneath every other control (so
    // it is painted first, with Paint on the window's surface) and leaves it again.
    virtual void InsertFill(TFormFill& fill) = 0;
    virtual void RemoveFill(TFormFill& fill) = 0;
    // True when a fill control other than fill is among the window's controls.
    virtual bool HasOtherFill(const TFormFill& fill) const = 0;

    // Asks for the client area to be painted again.
    virtual void Repaint() = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
};

// A pattern's paint routine. tileSize is 30 on entry. The routine either draws one
// 30 × 30 tile on fill.Tile() and leaves tileSize above 1, so that the control
// repeats tileSize × tileSize squares of it over the client area, or draws the
// whole area on fill.Surface() and sets tileSize to 1 or 0.
using FillRoutine = std::function<void(TFormFill& fill, int& tileSize)>;

struct FillPainter {
    std::string name;
    FillRoutine paint;
};

// Named patterns kept sorted by name without regard to letter case.
class FillRegistry {
public:
    // Adds the pair; a name already present (letter case aside) keeps its entry
    // and gets the new routine. An empty routine registers nothing.
    void Register(std::string_view name, FillRoutine routine);
    std::optional<int> IndexOf(std::string_view name) const;
    const FillPainter& At(int index) const;
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    std::vector<FillPainter> entries_;
};

// Registers the 18 standard patterns in their traditional order.
void RegisterStandardFills(FillRegistry& registry);
// The process-wide registry, created with the standard patterns on first use.
FillRegistry& Fills();
// Registers a pattern in the process-wide registry.
void RegisterFill(std::string_view name, FillRoutine routine);

inline constexpr int kTileSize = 30;

class TFormFill {
public:
    explicit TFormFill(FillRegistry& registry = Fills());
    // Unhooks the parent and leaves its control list.
    ~TFormFill();
    TFormFill(const TFormFill&) = delete;
    TFormFill& operator=(const TFormFill&) = delete;

    // Moves the control to another window (nullptr: none). The first fill of a
    // window replaces the window's procedure with ParentHook.
    void SetParent(FillParent* parent);
    FillParent* Parent() const { return parent_; }
    bool HooksParent() const { return hooked_; }

    // The current pattern's name as registered; setting an unknown name, or the
    // current one, changes nothing.
    std::string FillType() const;
    void SetFillType(std::string_view name);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // The generator the random patterns draw from.
    void SeedRandom(std::uint32_t seed) { random_.seed(seed); }

    // Paints the client area on surface, the parent's surface during its paint.
    // Throws FillError when a paint of this control is already in progress.
    void Paint(platform::Canvas& surface);

    // The replacement window procedure of the hooked parent.
    std::intptr_t ParentHook(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // For paint routines, while Paint runs: the surface, the 30 × 30 tile (filled
    // with the control's colour when the routine starts), the client size read
    // when the paint began, the control's colour and the random generator.
    platform::Canvas& Surface();
    platform::Canvas& Tile();
    int Width() const { return width_; }
    int Height() const { return height_; }
    platform::Color Colour() const;
    std::mt19937& Random() { return random_; }
    // Copies size × size squares of the tile over the whole client area (a size
    // below 1 copies nothing).
    void RepeatTile(int size);

private:
    class TileScope;

    void Unhook();

    FillRegistry& registry_;
    int index_ = 0;
    bool visible_ = true;
    FillParent* parent_ = nullptr;
    bool hooked_ = false;
    WindowProcedure savedProcedure_;
    platform::Canvas* surface_ = nullptr;
    std::unique_ptr<platform::Canvas> tile_;
    int width_ = 0;
    int height_ = 0;
    std::mt19937 random_;
};

// The blue level of each band of the "Blue" pattern for a client height: band k
// is drawn at row 2k, ⌊height ÷ 2⌋ + 1 bands (none for a height below 1).
std::vector<int> BlueLevels(int height);

}  // namespace instalator::ui
