#pragma once
// A form: a top-level window of the model with its frame, caption, position, state,
// controls, timers and paint layers; modal or modeless.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.hpp"

namespace instalator::platform {

enum class BorderStyle {
    None,     // no border, no title bar
    Dialog,   // fixed frame with a title bar
    Sizeable,
};
struct BorderIcons {
    bool systemMenu = true;  // the system menu and the close button
    bool minimize = true;
    bool maximize = true;
    bool operator==(const BorderIcons&) const = default;
};
enum class FormPosition {
    Designed,      // where Left/Top say
    ScreenCenter,  // centred on the screen each time it is shown
};
enum class WindowState { Normal, Maximized };

// The message a window gets when its background is to be erased; a procedure that
// returns non-zero for it means "already done".
inline constexpr unsigned kEraseBackgroundMessage = 20;
// A window procedure: message, first and second parameter -> result.
using WindowProcedure = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

inline constexpr int kModalNone = 0;
inline constexpr int kModalOk = kIdOk;
inline constexpr int kModalCancel = kIdCancel;

class Form : public Component, public Container {
public:
    // name is the form's class name ("TMakeSure"); events are dispatched as
    // "<name>.<handler>".
    Form(Application& application, std::string name);
    ~Form() override;

    Application& App() const { return application_; }
    Form& OwnerForm() override { return *this; }
    const Font& ChildFont() const override { return font_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const Font& GetFont() const { return font_; }
    void SetFont(Font font);

    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle border);
    const BorderIcons& Icons() const { return icons_; }
    void SetIcons(BorderIcons icons);
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool stayOnTop);
    FormPosition Position() const { return position_; }
    void SetPosition(FormPosition position) { position_ = position; }
    WindowState State() const { return state_; }
    void SetState(WindowState state);

    // The outer frame on the screen; the client area is what lies inside the frame
    // and title bar (Ui::NonClientSize).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const;
    int Height() const;
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    Rect Bounds() const { return {left_, top_, Width(), Height()}; }
    void SetBounds(Rect outer);
    void MoveTo(int left, int top) { SetBounds({left, top, Width(), Height()}); }
    void SetClientSize(int width, int height);
    // The backend moved or sized the native window (maximising, the user's frame).
    void SetBoundsFromBackend(Rect outer);

    bool Visible() const { return visible_; }
    bool Modal() const { return modal_; }
    // Runs OnShow, places a centred form, makes it visible and brings it to the front.
    void Show();
    void Hide();
    // Shows the form and handles messages until its modal result is set; returns it.
    int ShowModal();
    // A modal form gets the result Cancel; the main form ends the message loop; any
    // other is hidden.
    void Close();
    // A close request reached the window (its close button, Alt+F4, the taskbar, a
    // request from another program). A window without a close button has no way to be
    // closed and ignores it; the main window takes it as the request to end the
    // program.
    void CloseFromUser();
    // The title bar shows a close button.
    bool HasCloseButton() const { return border_ != BorderStyle::None && icons_.systemMenu; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    std::function<void()> OnCreate;
    std::function<void()> OnShow;
    std::function<void()> OnResize;

    // Windowless painting beneath the controls: the layers paint the client area
    // in order, bottom first, whenever the form paints. key identifies a layer.
    using PaintRoutine = std::function<void(Canvas& surface)>;
    void AddPaintLayer(const void* key, PaintRoutine paint, bool bottom);
    void RemovePaintLayer(const void* key);
    bool HasPaintLayers() const { return !layers_.empty(); }
    // Called by the backend when the client area is to be painted.
    void Paint(Canvas& surface);
    void Repaint();

    // The slot through which the backend sends window messages that the model may
    // take over (at least kEraseBackgroundMessage). Reading it realises the form when
    // it has not been realised yet.
    WindowProcedure WindowProc();
    void SetWindowProc(WindowProcedure procedure) { procedure_ = std::move(procedure); }

    const std::vector<Timer*>& Timers() const { return timers_; }
    // The first control in tab order, looking into group boxes and panels, that takes
    // the focus and is visible and enabled; nullptr when there is none.
    Control* InitialFocus() const;
    // The control of that name anywhere on the form; nullptr when there is none.
    Control* Find(std::string_view name) const;

    bool Realised() const { return realised_; }
    // Realises the form through the backend once.
    void Realise();

private:
    friend class Timer;
    void ApplyBounds(Rect outer, bool fromBackend);

    Application& application_;
    std::string caption_;
    Font font_;
    BorderStyle border_ = BorderStyle::Sizeable;
    BorderIcons icons_;
    bool stayOnTop_ = false;
    FormPosition position_ = FormPosition::Designed;
    WindowState state_ = WindowState::Normal;
    int left_ = 0;
    int top_ = 0;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool visible_ = false;
    bool modal_ = false;
    int modalResult_ = kModalNone;
    bool realised_ = false;
    struct Layer {
        const void* key;
        PaintRoutine paint;
    };
    std::vector<Layer> layers_;
    WindowProcedure procedure_;
    std::vector<Timer*> timers_;
};

}  // namespace instalator::platform
