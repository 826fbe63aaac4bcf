#include "ui/form_fill.hpp"

#include <algorithm>
#include <utility>

#include "common/strings.hpp"
#include "common/text.hpp"

namespace instalator::ui {

namespace {

// Orders names as the registry keeps them: by their lower-case bytes.
bool NameBefore(std::string_view a, std::string_view b) {
    const std::string la = common::LowerCase(a), lb = common::LowerCase(b);
    return std::lexicographical_compare(la.begin(), la.end(), lb.begin(), lb.end(),
                                        [](char x, char y) {
                                            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                                        });
}

}  // namespace

void FillRegistry::Register(std::string_view name, FillRoutine routine) {
    if (!routine) return;
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), name,
                                     [](const FillPainter& entry, std::string_view key) {
                                         return NameBefore(entry.name, key);
                                     });
    if (at != entries_.end() && common::SameText(at->name, name)) {
        at->paint = std::move(routine);
        return;
    }
    entries_.insert(at, FillPainter{std::string(name), std::move(routine)});
}

std::optional<int> FillRegistry::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (common::SameText(entries_[i].name, name)) return static_cast<int>(i);
    }
    return std::nullopt;
}

const FillPainter& FillRegistry::At(int index) const {
    if (index < 0 || index >= Count()) throw FillError("No fill pattern number " + common::IntToText(index));
    return entries_[static_cast<std::size_t>(index)];
}

FillRegistry& Fills() {
    static FillRegistry registry = [] {
        FillRegistry standard;
        RegisterStandardFills(standard);
        return standard;
    }();
    return registry;
}

void RegisterFill(std::string_view name, FillRoutine routine) { Fills().Register(name, std::move(routine)); }

// The off-screen tile of one paint: created filled with the control's colour,
// released when the paint ends, however it ends.
class TFormFill::TileScope {
public:
    TileScope(TFormFill& fill, platform::Canvas& surface) : fill_(fill) {
        if (fill.tile_) throw FillError("FillType was already started");
        fill.tile_ = surface.CreateCompatible(kTileSize, kTileSize);
        fill.surface_ = &surface;
        fill.tile_->FillRect(0, 0, kTileSize, kTileSize, fill.Colour());
    }
    ~TileScope() {
        fill_.tile_.reset();
        fill_.surface_ = nullptr;
    }
    TileScope(const TileScope&) = delete;
    TileScope& operator=(const TileScope&) = delete;

private:
    TFormFill& fill_;
};

TFormFill::TFormFill(FillRegistry& registry) : registry_(registry) {}

TFormFill::~TFormFill() { SetParent(nullptr); }

void TFormFill::Unhook() {
    if (!hooked_) return;
    parent_->SetWindowProc(std::move(savedProcedure_));
    savedProcedure_ = nullptr;
    hooked_ = false;
}

void TFormFill::SetParent(FillParent* parent) {
    if (parent == parent_) return;
    Unhook();
    if (parent_ != nullptr) parent_->RemoveFill(*this);
    parent_ = parent;
    if (parent_ == nullptr) return;
    parent_->InsertFill(*this);
    // Only the first fill of a window takes over its procedure.
    if (parent_->HasOtherFill(*this)) return;
    savedProcedure_ = parent_->WindowProc();
    parent_->SetWindowProc([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        return ParentHook(message, wParam, lParam);
    });
    hooked_ = true;
}

std::intptr_t TFormFill::ParentHook(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == kEraseBackground && visible_) return 1;  // the paint covers everything
    return savedProcedure_ ? savedProcedure_(message, wParam, lParam) : 0;
}

std::string TFormFill::FillType() const { return registry_.At(index_).name; }

void TFormFill::SetFillType(std::string_view name) {
    const std::optional<int> found = registry_.IndexOf(name);
    if (!found || *found == index_) return;
    index_ = *found;
    if (parent_ != nullptr) parent_->Repaint();
}

void TFormFill::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (parent_ != nullptr) parent_->Repaint();
}

void TFormFill::Paint(platform::Canvas& surface) {
    const FillRoutine routine = registry_.At(index_).paint;
    int tileSize = kTileSize;
    const TileScope tile(*this, surface);
    width_ = parent_ != nullptr ? parent_->ClientWidth() : surface.Width();
    height_ = parent_ != nullptr ? parent_->ClientHeight() : surface.Height();
    routine(*this, tileSize);
    if (tileSize > 1) RepeatTile(tileSize);
}

void TFormFill::RepeatTile(int size) {
    if (size < 1) return;
    platform::Canvas& surface = Surface();
    platform::Canvas& tile = Tile();
    for (int y = 0; y < height_; y += size) {
        for (int x = 0; x < width_; x += size) surface.CopyFrom(tile, 0, 0, x, y, size, size);
    }
}

platform::Canvas& TFormFill::Surface() {
    if (surface_ == nullptr) throw FillError("The fill control is not painting");
    return *surface_;
}

platform::Canvas& TFormFill::Tile() {
    if (!tile_) throw FillError("The fill control is not painting");
    return *tile_;
}

platform::Color TFormFill::Colour() const {
    // The control takes its parent window's colour, the button face.
    if (surface_ == nullptr) throw FillError("The fill control is not painting");
    return surface_->SystemColour(platform::SystemColor::ButtonFace);
}

}  // namespace instalator::ui
