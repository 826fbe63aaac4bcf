#pragma once
// The top-level window of one form: its frame follows the form's border and icons,
// it erases its background through the form's procedure slot (so the background
// fill can take that over), paints the form's paint layers and windowless controls,
// runs the form's timers and reports moves, sizes and the close button to the model.

#include "platform/win32/win32_api.hpp"

#include <map>

#include "platform/forms.hpp"
#include "platform/win32/win32_ui.hpp"

namespace instalator::platform::win32 {

inline constexpr wchar_t kFormClass[] = L"InstalatorForm";

// The window styles of a form's frame.
struct FrameStyle {
    DWORD style = 0;
    DWORD exStyle = 0;
};
FrameStyle FrameStyleOf(const Form& form);

class FormWindow final : public Peer {
public:
    // owner: the window the form stays above.
    FormWindow(Win32Ui& ui, Form& form, HWND owner);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    void Changed(Change what) override;

    HWND Handle() const { return window_; }

    // Shows the window, maximised when the form says so, and gives the focus to the
    // form's first control.
    void Show();
    // Arms the timer's native counterpart, or stops it when it is disabled.
    void ArmTimer(Timer& timer);
    void DisarmTimer(Timer& timer);

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT EraseBackground(HDC dc);
    void Paint();
    void Activated(bool active);
    void FollowFrame();
    void ApplyStyle();
    void ApplyBounds();
    void Tick(UINT_PTR id);

    Win32Ui& ui_;
    Form& form_;
    HWND window_ = nullptr;
    bool ready_ = false;        // the model may be told about messages
    HWND lastFocus_ = nullptr;  // where the focus goes back when the form is activated
    std::map<UINT_PTR, Timer*> timers_;
    UINT_PTR nextTimerId_ = 1;
};

}  // namespace instalator::platform::win32
