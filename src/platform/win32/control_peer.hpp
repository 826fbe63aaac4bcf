#pragma once
// The native side of one control. Windowed kinds own a system control (group boxes
// and panels a window of the backend's own that paints its frame and the labels in
// it); labels and pictures own no window and are drawn by the window beneath them.
// The peer follows the model's changes and hands the user's input back to it.

#include "platform/win32/win32_api.hpp"

#include "platform/forms.hpp"
#include "platform/win32/gdi.hpp"
#include "platform/win32/win32_ui.hpp"

namespace instalator::platform::win32 {

inline constexpr wchar_t kGroupBoxClass[] = L"InstalatorGroupBox";
inline constexpr wchar_t kPanelClass[] = L"InstalatorPanel";

class ControlPeer final : public Peer {
public:
    ControlPeer(Win32Ui& ui, Control& control);
    ~ControlPeer() override;
    ControlPeer(const ControlPeer&) = delete;
    ControlPeer& operator=(const ControlPeer&) = delete;

    void Changed(Change what) override;

    Control& Model() const { return control_; }
    // The control's own window; nullptr for labels and pictures.
    HWND Window() const { return window_; }

    // A notification the control sent its parent (BN_CLICKED, EN_CHANGE...) from
    // the window from.
    void Command(HWND from, WORD code);
    void DrawItem(const DRAWITEMSTRUCT& item);
    // Draws a windowless control on the window beneath it.
    void PaintOn(HDC dc);

    // Window procedure of group boxes and panels.
    static LRESULT CALLBACK BoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Create();
    void CreateBrowseButton();
    void PlaceWindows();
    void ApplyText();
    void ApplyItems();
    void ApplyFont();
    void Invalidate();
    void PaintBox(HDC dc);
    RECT Area() const;

    Win32Ui& ui_;
    Control& control_;
    HWND host_;
    HWND window_ = nullptr;
    HWND browse_ = nullptr;      // the browse button of a directory edit
    RECT shown_{};               // where a windowless control was last drawn
    Bitmap picture_;             // a picture control's image as a DIB section
    bool applying_ = false;      // the peer itself is changing the native control
    friend LRESULT CALLBACK EditSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

}  // namespace instalator::platform::win32
