#pragma once
// Drawing of what the toolkit's controls look like where the system has no control
// of that kind: labels, pictures, group frames, bevelled panels and buttons with a
// picture beside the caption.

#include "platform/win32/win32_api.hpp"

#include "platform/forms.hpp"
#include "platform/win32/win32_ui.hpp"

namespace instalator::platform::win32 {

// The windowless controls of container (labels, pictures) in declaration order,
// each over what was drawn before it.
void PaintWindowless(HDC dc, const Container& container);
// Tells every control of container, boxes included, that its font may have changed.
void RefreshFonts(const Container& container);

void DrawLabel(HDC dc, const Label& label, HFONT font);
// dib holds the picture's image.
void DrawPicture(HDC dc, const Picture& picture, HBITMAP dib);
// The whole client area (width × height) of a group box or a panel.
void DrawGroupFrame(HDC dc, const Control& box, HFONT font, int width, int height);
void DrawPanel(HDC dc, const Control& panel, HFONT font, int width, int height);
void DrawBitmapButton(const DRAWITEMSTRUCT& item, const BitmapButton& button, HFONT font,
                      const ButtonPictures& pictures);

}  // namespace instalator::platform::win32
