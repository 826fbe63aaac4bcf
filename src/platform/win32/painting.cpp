#include "platform/win32/painting.hpp"

#include <algorithm>

#include "platform/win32/control_peer.hpp"
#include "platform/win32/gdi_canvas.hpp"
#include "platform/win32/picture.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {
namespace {

// Everything a drawing routine selects or sets on a context is undone when it ends.
class SavedState {
public:
    explicit SavedState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~SavedState() { ::RestoreDC(dc_, saved_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    HDC dc_;
    int saved_;
};

RECT BoundsOf(const Control& control) {
    const Rect& b = control.Bounds();
    return {b.left, b.top, b.left + b.width, b.top + b.height};
}

UINT AlignmentFlag(Alignment alignment) {
    switch (alignment) {
    case Alignment::Center: return DT_CENTER;
    case Alignment::Right: return DT_RIGHT;
    default: return DT_LEFT;
    }
}

SIZE TextSize(HDC dc, const std::wstring& text, UINT flags) {
    RECT box{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), -1, &box, flags | DT_CALCRECT);
    return {box.right - box.left, box.bottom - box.top};
}

const ButtonPictures::Glyph& GlyphOf(const BitmapButton& button, bool disabled, const ButtonPictures& pictures) {
    if (button.Glyph() == ButtonPicture::Install) return pictures.install;
    return disabled ? pictures.crossDisabled : pictures.cross;
}

void DrawGlyph(HDC dc, const ButtonPictures::Glyph& glyph, int x, int y) {
    const MemoryDc memory = CompatibleDc(dc);
    const Selection selected(memory.Get(), glyph.bitmap.Get());
    ::GdiTransparentBlt(dc, x, y, glyph.width, glyph.height, memory.Get(), 0, 0, glyph.width, glyph.height,
                        glyph.transparent);
}

// A disabled caption is engraved: a highlight copy one pixel down and right under a
// shadow copy.
void DrawCaption(HDC dc, const std::wstring& text, RECT box, bool disabled, COLORREF colour) {
    ::SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        RECT lower = box;
        ::OffsetRect(&lower, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, text.c_str(), -1, &lower, DT_SINGLELINE | DT_NOCLIP);
        colour = ::GetSysColor(COLOR_BTNSHADOW);
    }
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), -1, &box, DT_SINGLELINE | DT_NOCLIP);
}

}  // namespace

void PaintWindowless(HDC dc, const Container& container) {
    for (Control* control : container.Controls()) {
        if (control->IsWindowed() || !control->Visible()) continue;
        if (auto* peer = dynamic_cast<ControlPeer*>(control->GetPeer())) peer->PaintOn(dc);
    }
}

void RefreshFonts(const Container& container) {
    for (Control* control : container.Controls()) {
        if (Peer* peer = control->GetPeer()) peer->Changed(Change::Font);
        if (const Container* inner = control->AsContainer()) RefreshFonts(*inner);
    }
}

// The text is broken at word boundaries when the label wraps, placed as its
// alignment and layout say, and cut at the label's bounds. "&" is shown as it is.
void DrawLabel(HDC dc, const Label& label, HFONT font) {
    const SavedState saved(dc);
    const RECT bounds = BoundsOf(label);
    ::SelectObject(dc, font);
    if (!label.Transparent()) ::FillRect(dc, &bounds, ::GetSysColorBrush(COLOR_BTNFACE));
    ::IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorRef(label.GetFont().colour));
    const std::wstring text = Wide(label.Text());
    const UINT flags = DT_NOPREFIX | DT_EXPANDTABS | AlignmentFlag(label.GetAlignment()) |
                       (label.WordWrap() ? DT_WORDBREAK : 0);
    RECT box = bounds;
    if (label.Layout() == VerticalLayout::Center) {
        RECT measured = bounds;
        ::DrawTextW(dc, text.c_str(), -1, &measured, flags | DT_CALCRECT);
        box.top += (label.Height() - (measured.bottom - measured.top)) / 2;
        box.bottom = box.top + (measured.bottom - measured.top);
    }
    ::DrawTextW(dc, text.c_str(), -1, &box, flags);
}

// Unscaled pictures start at the control's top left corner and are cut at its
// bounds; the transparent colour is the picture's bottom-left pixel.
void DrawPicture(HDC dc, const Picture& picture, HBITMAP dib) {
    const Image& image = picture.GetImage();
    if (image.Empty() || dib == nullptr) return;
    const SavedState saved(dc);
    const MemoryDc memory = CompatibleDc(dc);
    const Selection selected(memory.Get(), dib);
    const Rect& b = picture.Bounds();
    const COLORREF transparent = TransparentColour(image);
    const int width = picture.Stretch() ? b.width : std::min(image.width, b.width);
    const int height = picture.Stretch() ? b.height : std::min(image.height, b.height);
    const int sourceWidth = picture.Stretch() ? image.width : width;
    const int sourceHeight = picture.Stretch() ? image.height : height;
    if (picture.Transparent()) {
        ::GdiTransparentBlt(dc, b.left, b.top, width, height, memory.Get(), 0, 0, sourceWidth, sourceHeight,
                            transparent);
    } else {
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, b.left, b.top, width, height, memory.Get(), 0, 0, sourceWidth, sourceHeight, SRCCOPY);
    }
}

// An etched frame whose top runs through the middle of the caption's line; the
// caption stands on the button face at the left.
void DrawGroupFrame(HDC dc, const Control& box, HFONT font, int width, int height) {
    const SavedState saved(dc);
    const RECT client{0, 0, width, height};
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SelectObject(dc, font);
    const int lineHeight = TextSize(dc, L"0", DT_SINGLELINE).cy;
    RECT frame{0, lineHeight / 2 - 1, width, height};
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (box.Text().empty()) return;
    const std::wstring text = Wide(box.Text());
    const SIZE size = TextSize(dc, text, DT_SINGLELINE);
    RECT caption{8, 0, 8 + size.cx, size.cy};
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetTextColor(dc, ColorRef(box.GetFont().colour));
    ::DrawTextW(dc, text.c_str(), -1, &caption, DT_SINGLELINE);
}

// A raised one-pixel bevel with the caption centred both ways, shown as it is.
void DrawPanel(HDC dc, const Control& panel, HFONT font, int width, int height) {
    const SavedState saved(dc);
    RECT client{0, 0, width, height};
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorRef(panel.GetFont().colour));
    RECT inside{1, 1, width - 1, height - 1};
    ::DrawTextW(dc, Wide(panel.Text()).c_str(), -1, &inside, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

// The picture and the caption form one block, centred in the button, the picture
// above or left of the caption with 4 pixels between them; the block moves one
// pixel down and right while the button is pressed. The focused button has a black
// outline and a dotted focus rectangle.
void DrawBitmapButton(const DRAWITEMSTRUCT& item, const BitmapButton& button, HFONT font,
                      const ButtonPictures& pictures) {
    constexpr int kSpacing = 4;
    const HDC dc = item.hDC;
    const SavedState saved(dc);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT face = item.rcItem;
    if (focused) {
        ::FrameRect(dc, &face, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::InflateRect(&face, -1, -1);
    }
    ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    ::SelectObject(dc, font);
    const std::wstring text = Wide(button.Text());
    const SIZE textSize = TextSize(dc, text, DT_SINGLELINE);
    const ButtonPictures::Glyph& glyph = GlyphOf(button, disabled, pictures);
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    POINT picture{}, caption{};
    if (button.GlyphPlace() == PictureLayout::Above) {
        picture = {(width - glyph.width) / 2, (height - (glyph.height + kSpacing + textSize.cy)) / 2};
        caption = {(width - textSize.cx) / 2, picture.y + glyph.height + kSpacing};
    } else {
        picture = {(width - (glyph.width + kSpacing + textSize.cx)) / 2, (height - glyph.height) / 2};
        caption = {picture.x + glyph.width + kSpacing, (height - textSize.cy) / 2};
    }
    const int shift = pressed ? 1 : 0;
    DrawGlyph(dc, glyph, item.rcItem.left + picture.x + shift, item.rcItem.top + picture.y + shift);
    RECT captionBox{item.rcItem.left + caption.x + shift, item.rcItem.top + caption.y + shift, 0, 0};
    captionBox.right = captionBox.left + textSize.cx;
    captionBox.bottom = captionBox.top + textSize.cy;
    DrawCaption(dc, text, captionBox, disabled, ColorRef(button.GetFont().colour));
    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT dots = item.rcItem;
        ::InflateRect(&dots, -4, -4);
        ::DrawFocusRect(dc, &dots);
    }
}

}  // namespace instalator::platform::win32
