#include "platform/win32/win32_ui.hpp"

#include <commctrl.h>
#include <objbase.h>

#include <vector>

#include "platform/keyboard_navigation.hpp"
#include "platform/win32/control_peer.hpp"
#include "platform/win32/form_window.hpp"
#include "platform/win32/gdi_canvas.hpp"
#include "platform/win32/picture.hpp"
#include "platform/win32/wide.hpp"
#include "resource_ids.h"

namespace instalator::platform::win32 {
namespace {

constexpr wchar_t kApplicationClass[] = L"InstalatorApplication";

constexpr UINT kPassActivation = WM_APP;

// The window of this thread the user works in: the highest visible and enabled
// top-level one besides the application window (the modal form while one runs, a
// message box, else the main form), or none.
HWND FrontWindow(HWND application) {
    const DWORD thread = ::GetWindowThreadProcessId(application, nullptr);
    for (HWND window = ::GetTopWindow(nullptr); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (window != application && ::GetWindowThreadProcessId(window, nullptr) == thread &&
            ::IsWindowVisible(window) && ::IsWindowEnabled(window))
            return window;
    }
    return nullptr;
}

// The taskbar's close command for the application window does nothing: the windows
// are closed as each of them allows. A click on the taskbar button activates the
// application window, which has no area and takes no keys: once that activation is
// over, it passes on to the front window, whose form gives the focus back to its
// control.
LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) ::PostMessageW(window, kPassActivation, 0, 0);
        break;
    case kPassActivation:
        if (::GetActiveWindow() == window) {
            if (const HWND front = FrontWindow(window)) ::SetForegroundWindow(front);
        }
        return 0;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A timer counts while it has a peer: the peer arms it and follows its changes.
class TimerPeer final : public Peer {
public:
    TimerPeer(FormWindow& owner, Timer& timer) : owner_(owner), timer_(timer) { owner_.ArmTimer(timer_); }
    ~TimerPeer() override { owner_.DisarmTimer(timer_); }
    TimerPeer(const TimerPeer&) = delete;
    TimerPeer& operator=(const TimerPeer&) = delete;

    void Changed(Change what) override {
        if (what == Change::Timer) owner_.ArmTimer(timer_);
    }

private:
    FormWindow& owner_;
    Timer& timer_;
};

void AttachControlPeers(Win32Ui& ui, const Container& container) {
    for (Control* control : container.Controls()) {
        if (control->GetPeer() == nullptr) control->AttachPeer(std::make_unique<ControlPeer>(ui, *control));
        if (const Container* inner = control->AsContainer()) AttachControlPeers(ui, *inner);
    }
}

ButtonPictures::Glyph GlyphFromResource(HINSTANCE instance, int id) {
    const Image image = ImageFromResource(instance, id);
    return {DibFromImage(image), image.width, image.height, TransparentColour(image)};
}


bool IsButton(const Control& control) {
    return control.Kind() == ControlKind::Button || control.Kind() == ControlKind::BitmapButton;
}

}  // namespace

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    RegisterClasses();
    LoadPictures();
    // A window without size at the centre of the screen: it carries the title and
    // the taskbar button and owns the main form.
    application_ = ::CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, ::GetSystemMetrics(SM_CXSCREEN) / 2,
                                     ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(application_, SW_SHOWNA);
}

Win32Ui::~Win32Ui() { ::DestroyWindow(application_); }

void Win32Ui::RegisterClasses() {
    const HICON icon = ::LoadIconW(instance_, MAKEINTRESOURCEW(IDI_SETUP));
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    auto add = [&](const wchar_t* name, WNDPROC procedure) {
        WNDCLASSEXW kind{};
        kind.cbSize = sizeof kind;
        kind.lpfnWndProc = procedure;
        kind.hInstance = instance_;
        kind.hIcon = icon;
        kind.hIconSm = icon;
        kind.hCursor = arrow;
        kind.lpszClassName = name;
        ::RegisterClassExW(&kind);
    };
    add(kApplicationClass, ApplicationProcedure);
    add(kFormClass, FormWindow::Procedure);
    add(kGroupBoxClass, ControlPeer::BoxProcedure);
    add(kPanelClass, ControlPeer::BoxProcedure);
}

void Win32Ui::LoadPictures() {
    pictures_.install = GlyphFromResource(instance_, IDB_INSTALL);
    pictures_.cross = GlyphFromResource(instance_, IDB_CROSS);
    pictures_.crossDisabled = GlyphFromResource(instance_, IDB_CROSS_DISABLED);
}

void Win32Ui::SetApplicationTitle(const std::string& title) { ::SetWindowTextW(application_, Wide(title).c_str()); }

// The main form (the first one) belongs to the application window, every other
// form to the main form's window, so that a window manager keeps the dialogs above
// the main window even while it covers the screen. The backend's own procedure in
// the form's slot erases in the button-face colour.
void Win32Ui::Realise(Form& form) {
    app_ = &form.App();
    HWND owner = application_;
    const Form* main = app_->MainForm();
    if (main != nullptr && main != &form && FormOf(*main) != nullptr) owner = FormOf(*main)->Handle();
    auto window = std::make_unique<FormWindow>(*this, form, owner);
    const HWND handle = window->Handle();
    form.AttachPeer(std::move(window));
    form.SetWindowProc([handle](unsigned message, std::uintptr_t wParam, std::intptr_t) -> std::intptr_t {
        if (message != kEraseBackgroundMessage) return 0;
        RECT client{};
        ::GetClientRect(handle, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    });
    AttachControlPeers(*this, form);
}

void Win32Ui::AttachPeers(Form& form) {
    AttachControlPeers(*this, form);
    FormWindow* window = FormOf(form);
    for (Timer* timer : form.Timers()) {
        if (timer->GetPeer() == nullptr) timer->AttachPeer(std::make_unique<TimerPeer>(*window, *timer));
    }
}

void Win32Ui::ShowForm(Form& form) {
    AttachPeers(form);
    FormOf(form)->Show();
}

void Win32Ui::HideForm(Form& form) {
    if (FormWindow* window = FormOf(form)) ::ShowWindow(window->Handle(), SW_HIDE);
}

Win32Ui::FormsDisabled::FormsDisabled(const Win32Ui& ui, const Form* except) {
    if (ui.app_ == nullptr) return;
    for (const Form* form : ui.app_->Forms()) {
        const FormWindow* window = ui.FormOf(*form);
        if (form == except || window == nullptr || !::IsWindowEnabled(window->Handle())) continue;
        ::EnableWindow(window->Handle(), FALSE);
        windows_.push_back(window->Handle());
    }
}

Win32Ui::FormsDisabled::~FormsDisabled() {
    for (HWND window : windows_) ::EnableWindow(window, TRUE);
}

// The other forms are enabled again before the model hides this one, so that the
// activation goes back to them and not to another program.
void Win32Ui::RunModal(Form& form) {
    AttachPeers(form);
    FormWindow* window = FormOf(form);
    const FormsDisabled others(*this, &form);
    window->Show();
    MSG message{};
    while (form.ModalResult() == kModalNone) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The loop was asked to end: the outer loop gets the request too.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Handle(message);
    }
}

void Win32Ui::ProcessMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Handle(message);
    }
}

std::uint32_t Win32Ui::Milliseconds() { return ::GetTickCount(); }

void Win32Ui::RunMessageLoop() {
    if (app_ != nullptr) {
        for (Form* form : app_->Forms()) AttachPeers(*form);
    }
    if (quitPosted_) return;
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) Handle(message);
}

void Win32Ui::QuitMessageLoop() {
    quitPosted_ = true;
    ::PostQuitMessage(0);
}

void Win32Ui::EndProcess(const std::string&, int exitCode) {
    ::PostQuitMessage(0);
    ::CoUninitialize();
    ::ExitProcess(static_cast<UINT>(exitCode));
}

HWND Win32Ui::DialogOwner() const {
    const HWND active = ::GetActiveWindow();
    const Form* main = app_ != nullptr ? app_->MainForm() : nullptr;
    if (app_ != nullptr) {
        for (const Form* form : app_->Forms()) {
            const FormWindow* window = FormOf(*form);
            if (window != nullptr && window->Handle() == active && ::IsWindowVisible(active)) return active;
        }
    }
    if (main != nullptr && FormOf(*main) != nullptr && ::IsWindowVisible(FormOf(*main)->Handle()))
        return FormOf(*main)->Handle();
    return application_;
}

// When the box goes, the activation goes back to the window the user was in.
int Win32Ui::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    const HWND active = ::GetActiveWindow();
    const HWND owner = DialogOwner();
    int answer = 0;
    {
        const FormsDisabled forms(*this, nullptr);
        answer = ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), style);
    }
    RestoreActivation(active);
    return answer;
}

void Win32Ui::RestoreActivation(HWND active) {
    if (active != nullptr && ::IsWindowVisible(active)) ::SetActiveWindow(active);
}

Size Win32Ui::ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

Size Win32Ui::NonClientSize(const Form& form) {
    const FrameStyle frame = FrameStyleOf(form);
    RECT outer{0, 0, 0, 0};
    ::AdjustWindowRectEx(&outer, frame.style, FALSE, frame.exStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

Size Win32Ui::MeasureText(const Font& font, const std::string& text) {
    const WindowDc screen(nullptr);
    const Selection selected(screen.Get(), fonts_.Get(font));
    RECT box{0, 0, 0, 0};
    ::DrawTextW(screen.Get(), Wide(text).c_str(), -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    return {box.right - box.left, box.bottom - box.top};
}

void Win32Ui::Repaint(Form& form) {
    if (FormWindow* window = FormOf(form)) ::InvalidateRect(window->Handle(), nullptr, TRUE);
}

ControlPeer* Win32Ui::ControlOf(HWND window) const {
    const auto found = controls_.find(window);
    return found == controls_.end() ? nullptr : found->second;
}

FormWindow* Win32Ui::FormOf(const Form& form) const { return dynamic_cast<FormWindow*>(form.GetPeer()); }

HWND Win32Ui::ContainerWindow(const Container& container) const {
    if (const auto* form = dynamic_cast<const Form*>(&container)) return FormOf(*form)->Handle();
    const auto* box = dynamic_cast<const Control*>(&container);
    return static_cast<ControlPeer*>(box->GetPeer())->Window();
}

std::optional<LRESULT> Win32Ui::ChildMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (ControlPeer* peer = ControlOf(reinterpret_cast<HWND>(lParam))) {
            peer->Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (ControlPeer* peer = ControlOf(item->hwndItem)) {
            peer->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (ControlPeer* peer = ControlOf(reinterpret_cast<HWND>(lParam))) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ColorRef(peer->Model().GetFont().colour));
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    default: break;
    }
    return std::nullopt;
}

void Win32Ui::Handle(MSG& message) {
    if (Navigate(message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

// Tab and Shift+Tab walk the focus chain, Enter presses the focused button, and a
// letter marked with "&" presses its button: with Alt anywhere, alone while a
// button or check box has the focus. Escape is left alone: no form has a cancel
// button.
bool Win32Ui::Navigate(const MSG& message) {
    if (app_ == nullptr || (message.message != WM_KEYDOWN && message.message != WM_CHAR &&
                            message.message != WM_SYSCHAR))
        return false;
    const HWND top = ::GetAncestor(message.hwnd, GA_ROOT);
    Form* form = nullptr;
    for (Form* candidate : app_->Forms()) {
        const FormWindow* window = FormOf(*candidate);
        if (window != nullptr && window->Handle() == top) form = candidate;
    }
    if (form == nullptr) return false;
    const HWND focus = ::GetFocus();
    ControlPeer* peer = ControlOf(focus);
    if (peer == nullptr && focus != nullptr) peer = ControlOf(::GetParent(focus));  // a combo box's field
    Control* current = peer != nullptr ? &peer->Model() : nullptr;
    Control* target = nullptr;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && !(::GetKeyState(VK_CONTROL) & 0x8000)) {
        target = NextInChain(*form, current, !(::GetKeyState(VK_SHIFT) & 0x8000));
        if (target == nullptr) return true;
        const HWND next = static_cast<ControlPeer*>(target->GetPeer())->Window();
        ::SetFocus(next);
        if (target->Kind() == ControlKind::Edit || target->Kind() == ControlKind::DirectoryEdit)
            ::SendMessageW(next, EM_SETSEL, 0, -1);
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && current != nullptr && IsButton(*current))
        target = current;
    const bool plainLetter = message.message == WM_CHAR && current != nullptr &&
                             (IsButton(*current) || current->Kind() == ControlKind::CheckBox) &&
                             message.wParam > L' ';
    if (message.message == WM_SYSCHAR || plainLetter) target = ControlForAccelerator(*form, Cp1250Char(static_cast<wchar_t>(message.wParam)));
    if (target == nullptr) return false;
    const HWND pressed = static_cast<ControlPeer*>(target->GetPeer())->Window();
    ::SetFocus(pressed);
    ::SendMessageW(pressed, BM_CLICK, 0, 0);
    return true;
}

}  // namespace instalator::platform::win32
