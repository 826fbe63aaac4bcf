#include "platform/win32/form_window.hpp"

#include "platform/win32/control_peer.hpp"
#include "platform/win32/gdi_canvas.hpp"
#include "platform/win32/painting.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {

FrameStyle FrameStyleOf(const Form& form) {
    FrameStyle frame{WS_POPUP | WS_CLIPCHILDREN, form.StayOnTop() ? static_cast<DWORD>(WS_EX_TOPMOST) : 0};
    if (form.Border() == BorderStyle::None) return frame;
    frame.style |= WS_CAPTION;
    if (form.Border() == BorderStyle::Sizeable) frame.style |= WS_THICKFRAME;
    if (form.Border() == BorderStyle::Dialog) frame.exStyle |= WS_EX_DLGMODALFRAME;
    const BorderIcons& icons = form.Icons();
    if (icons.systemMenu) {
        frame.style |= WS_SYSMENU;
        if (icons.minimize) frame.style |= WS_MINIMIZEBOX;
        if (icons.maximize) frame.style |= WS_MAXIMIZEBOX;
    }
    return frame;
}

FormWindow::FormWindow(Win32Ui& ui, Form& form, HWND owner) : ui_(ui), form_(form) {
    const FrameStyle frame = FrameStyleOf(form);
    window_ = ::CreateWindowExW(frame.exStyle, kFormClass, Wide(form.Caption()).c_str(), frame.style, form.Left(),
                                form.Top(), form.Width(), form.Height(), owner, nullptr,
                                ui.Instance(), this);
    ready_ = true;
}

// The model is going: the window must not tell it anything while it is destroyed.
FormWindow::~FormWindow() {
    ready_ = false;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || !self->ready_) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = ui_.ChildMessage(message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_ERASEBKGND: return EraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT: Paint(); return 0;
    case WM_CLOSE: form_.CloseFromUser(); return 0;
    case WM_SYSCOMMAND:
        // Alt+F4 and the system menu close only a window that shows a close button.
        if ((wParam & 0xFFF0) == SC_CLOSE && (form_.Border() == BorderStyle::None || !form_.Icons().systemMenu))
            return 0;
        break;
    case WM_MOVE:
    case WM_SIZE:
        if (!(message == WM_SIZE && wParam == SIZE_MINIMIZED)) FollowFrame();
        return 0;
    case WM_GETMINMAXINFO:
        // A borderless form maximises over the whole screen, not the work area.
        if (form_.Border() == BorderStyle::None) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMaxPosition = {0, 0};
            limits->ptMaxSize = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
            return 0;
        }
        break;
    case WM_TIMER: Tick(wParam); return 0;
    case WM_ACTIVATE:
        Activated(LOWORD(wParam) != WA_INACTIVE);
        if (LOWORD(wParam) != WA_INACTIVE && lastFocus_ != nullptr) return 0;
        break;
    default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

// The erase request goes through the form's procedure slot: the backend's own
// procedure erases in the button-face colour, a background fill hooked in its place
// answers that the background is done.
LRESULT FormWindow::EraseBackground(HDC dc) {
    const WindowProcedure procedure = form_.WindowProc();
    if (!procedure) return 0;
    return procedure(kEraseBackgroundMessage, reinterpret_cast<std::uintptr_t>(dc), 0);
}

void FormWindow::Paint() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window_, &paint);
    RECT client{};
    ::GetClientRect(window_, &client);
    {
        GdiCanvas canvas(dc, client.right, client.bottom);
        form_.Paint(canvas);
    }
    PaintWindowless(dc, form_);
    ::EndPaint(window_, &paint);
}

void FormWindow::Activated(bool active) {
    const HWND focus = ::GetFocus();
    if (!active) {
        if (focus != nullptr && ::IsChild(window_, focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_ != nullptr && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_) &&
        ::IsWindowEnabled(lastFocus_))
        ::SetFocus(lastFocus_);
    else
        lastFocus_ = nullptr;
}

void FormWindow::FollowFrame() {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    form_.SetBoundsFromBackend({outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top});
}

void FormWindow::Changed(Change what) {
    switch (what) {
    case Change::Text: ::SetWindowTextW(window_, Wide(form_.Caption()).c_str()); break;
    case Change::Bounds: ApplyBounds(); break;
    case Change::Style:
        ApplyStyle();
        ApplyBounds();
        break;
    case Change::Font: RefreshFonts(form_); break;
    default: break;
    }
}

void FormWindow::ApplyStyle() {
    const FrameStyle frame = FrameStyleOf(form_);
    const LONG kept = ::GetWindowLongW(window_, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED | WS_MAXIMIZE);
    ::SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(frame.style) | kept);
    ::SetWindowLongW(window_, GWL_EXSTYLE, static_cast<LONG>(frame.exStyle & ~WS_EX_TOPMOST));
    ::SetWindowPos(window_, form_.StayOnTop() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void FormWindow::ApplyBounds() {
    ::SetWindowPos(window_, nullptr, form_.Left(), form_.Top(), form_.Width(), form_.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::Show() {
    if (form_.State() == WindowState::Maximized) {
        ::ShowWindow(window_, SW_SHOWMAXIMIZED);
        FollowFrame();
    } else {
        ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    ::SetForegroundWindow(window_);
    Control* first = form_.InitialFocus();
    const auto* peer = first != nullptr ? dynamic_cast<const ControlPeer*>(first->GetPeer()) : nullptr;
    lastFocus_ = peer != nullptr ? peer->Window() : nullptr;
    ::SetFocus(lastFocus_ != nullptr ? lastFocus_ : window_);
    ::UpdateWindow(window_);
}

void FormWindow::ArmTimer(Timer& timer) {
    UINT_PTR id = 0;
    for (const auto& [number, known] : timers_) {
        if (known == &timer) id = number;
    }
    if (id == 0) {
        id = nextTimerId_++;
        timers_[id] = &timer;
    }
    if (timer.Enabled() && timer.Interval() > 0)
        ::SetTimer(window_, id, static_cast<UINT>(timer.Interval()), nullptr);
    else
        ::KillTimer(window_, id);
}

void FormWindow::DisarmTimer(Timer& timer) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second != &timer) continue;
        ::KillTimer(window_, it->first);
        timers_.erase(it);
        return;
    }
}

void FormWindow::Tick(UINT_PTR id) {
    const auto found = timers_.find(id);
    if (found != timers_.end()) found->second->Tick();
}

}  // namespace instalator::platform::win32
