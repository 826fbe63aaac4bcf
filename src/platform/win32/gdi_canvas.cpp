#include "platform/win32/gdi_canvas.hpp"

#include "platform/image.hpp"

namespace instalator::platform::win32 {

COLORREF ColorRef(Color colour) { return RGB(colour.r, colour.g, colour.b); }

GdiCanvas::GdiCanvas(HDC dc, int width, int height)
    : dc_(dc),
      width_(width),
      height_(height),
      penSelection_(dc, ::GetStockObject(BLACK_PEN)),
      brushSelection_(dc, ::GetStockObject(WHITE_BRUSH)) {}

GdiCanvas::GdiCanvas(std::unique_ptr<MemorySurface> surface, int width, int height)
    : GdiCanvas(surface->dc.Get(), width, height) {
    surface_ = std::move(surface);
}

// The context's own pen and brush go back before the canvas's are deleted.
GdiCanvas::~GdiCanvas() {
    penSelection_.Restore();
    brushSelection_.Restore();
}

Color GdiCanvas::SystemColour(SystemColor which) const {
    int index = COLOR_BTNFACE;
    if (which == SystemColor::ButtonShadow) index = COLOR_BTNSHADOW;
    if (which == SystemColor::ButtonHighlight) index = COLOR_BTNHIGHLIGHT;
    const COLORREF c = ::GetSysColor(index);
    return Color{GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The new object is selected before the one it replaces is deleted, so the context
// never holds a deleted object; the first selection made by the constructor keeps
// the context's own object for the end.
void GdiCanvas::SetPen(Color colour, int width) {
    Pen pen(::CreatePen(PS_SOLID, width, ColorRef(colour)));
    ::SelectObject(dc_, pen.Get());
    pen_ = std::move(pen);
}

void GdiCanvas::SetBrush(Color colour) {
    Brush brush(::CreateSolidBrush(ColorRef(colour)));
    ::SelectObject(dc_, brush.Get());
    brush_ = std::move(brush);
}

void GdiCanvas::Rectangle(int left, int top, int right, int bottom) { ::Rectangle(dc_, left, top, right, bottom); }

void GdiCanvas::Ellipse(int left, int top, int right, int bottom) { ::Ellipse(dc_, left, top, right, bottom); }

void GdiCanvas::MoveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }

void GdiCanvas::LineTo(int x, int y) { ::LineTo(dc_, x, y); }

void GdiCanvas::FillRect(int left, int top, int right, int bottom, Color colour) {
    const Brush brush(::CreateSolidBrush(ColorRef(colour)));
    const RECT area{left, top, right, bottom};
    ::FillRect(dc_, &area, brush.Get());
}

void GdiCanvas::SetPixel(int x, int y, Color colour) { ::SetPixelV(dc_, x, y, ColorRef(colour)); }

std::unique_ptr<Canvas> GdiCanvas::CreateCompatible(int width, int height) {
    auto surface = std::make_unique<MemorySurface>();
    surface->dc = CompatibleDc(dc_);
    // Compatible with this context, not with the new memory one, which would give a
    // monochrome bitmap.
    surface->bitmap.Reset(::CreateCompatibleBitmap(dc_, width, height));
    surface->selection = Selection(surface->dc.Get(), surface->bitmap.Get());
    return std::make_unique<GdiCanvas>(std::move(surface), width, height);
}

void GdiCanvas::CopyFrom(const Canvas& source, int sx, int sy, int x, int y, int width, int height) {
    const auto* from = dynamic_cast<const GdiCanvas*>(&source);
    if (from == nullptr) throw ImageError("GdiCanvas copies only from another GdiCanvas");
    ::BitBlt(dc_, x, y, width, height, from->dc_, sx, sy, SRCCOPY);
}

}  // namespace instalator::platform::win32
