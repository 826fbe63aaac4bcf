#include "platform/win32/control_peer.hpp"

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/text.hpp"
#include "platform/win32/picture.hpp"
#include "platform/win32/painting.hpp"
#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {
namespace {

constexpr int kBrowseButtonWidth = 21;
constexpr int kDropDownRows = 8;

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::GroupBox: return {kGroupBoxClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Panel: return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::BitmapButton: return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::Edit:
    case ControlKind::DirectoryEdit: return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox: return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
    default: return {nullptr, 0, 0};
    }
}

std::string TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return Narrow(text);
}


}  // namespace

// Typed characters of an edit field reach the model's key handler first; a
// character the handler takes (sets to 0) never reaches the field, and neither does
// Enter, which a one-line field has no use for.
LRESULT CALLBACK EditSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_CHAR) {
        auto* peer = reinterpret_cast<ControlPeer*>(data);
        const char typed = Cp1250Char(static_cast<wchar_t>(wParam));
        const char key = static_cast<Edit&>(peer->control_).KeyPress(typed);
        if (key == 0 || key == '\r') return 0;
        if (key != typed) wParam = Wide(std::string(1, key)).front();
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

ControlPeer::ControlPeer(Win32Ui& ui, Control& control)
    : ui_(ui), control_(control), host_(ui.ContainerWindow(control.Parent())) {
    if (control.IsWindowed()) Create();
    shown_ = Area();
}

ControlPeer::~ControlPeer() {
    for (HWND window : {window_, browse_}) {
        if (window == nullptr) continue;
        ui_.RemoveControlWindow(window);
        ::DestroyWindow(window);
    }
    if (window_ == nullptr) ::InvalidateRect(host_, &shown_, TRUE);
}

void ControlPeer::Create() {
    const WindowKind kind = KindOf(control_.Kind());
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | (control_.Visible() ? WS_VISIBLE : 0) |
                        (control_.Enabled() ? 0 : WS_DISABLED);
    window_ = ::CreateWindowExW(kind.exStyle, kind.className, L"", style, 0, 0, 0, 0, host_, nullptr,
                                ui_.Instance(), this);
    ui_.AddControlWindow(window_, *this);
    const ControlKind k = control_.Kind();
    if (k == ControlKind::DirectoryEdit) CreateBrowseButton();
    if (k == ControlKind::Edit || k == ControlKind::DirectoryEdit)
        ::SetWindowSubclass(window_, EditSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
    if (k == ControlKind::ProgressBar) ::SendMessageW(window_, PBM_SETRANGE32, 0, 100);
    if (k == ControlKind::ComboBox)
        ::SendMessageW(window_, CB_SETITEMHEIGHT, 0, static_cast<ComboBox&>(control_).ItemHeight());
    PlaceWindows();
    ApplyFont();
    ApplyItems();
    ApplyText();
    Changed(Change::Checked);
    Changed(Change::Position);
}

void ControlPeer::CreateBrowseButton() {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_PUSHBUTTON | (control_.Visible() ? WS_VISIBLE : 0) |
                        (control_.Enabled() ? 0 : WS_DISABLED);
    browse_ = ::CreateWindowExW(0, L"BUTTON", L"...", style, 0, 0, 0, 0, host_, nullptr, ui_.Instance(), nullptr);
    ui_.AddControlWindow(browse_, *this);
}

RECT ControlPeer::Area() const {
    const Rect& b = control_.Bounds();
    return {b.left, b.top, b.left + b.width, b.top + b.height};
}

// A directory edit leaves the right end of its place to its browse button; a combo
// box's window reaches down over its drop-down list.
void ControlPeer::PlaceWindows() {
    const Rect& b = control_.Bounds();
    int height = b.height;
    if (control_.Kind() == ControlKind::ComboBox)
        height += kDropDownRows * static_cast<ComboBox&>(control_).ItemHeight() + 2;
    const int editWidth = browse_ != nullptr ? b.width - kBrowseButtonWidth : b.width;
    ::MoveWindow(window_, b.left, b.top, editWidth, height, TRUE);
    if (browse_ != nullptr) ::MoveWindow(browse_, b.left + editWidth, b.top, kBrowseButtonWidth, b.height, TRUE);
}

void ControlPeer::ApplyText() {
    if (window_ != nullptr) {
        applying_ = true;
        ::SetWindowTextW(window_, Wide(control_.Text()).c_str());
        applying_ = false;
    }
    Invalidate();
}

void ControlPeer::ApplyItems() {
    if (control_.Kind() != ControlKind::ComboBox) return;
    applying_ = true;
    ::SendMessageW(window_, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : static_cast<ComboBox&>(control_).Items())
        ::SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    applying_ = false;
    ApplyText();  // emptying the list empties the field too
}

void ControlPeer::ApplyFont() {
    const HFONT font = ui_.Fonts().Get(control_.GetFont());
    for (HWND window : {window_, browse_}) {
        if (window != nullptr) ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    Invalidate();
}

void ControlPeer::Invalidate() {
    if (window_ != nullptr) {
        ::InvalidateRect(window_, nullptr, TRUE);
        return;
    }
    ::InvalidateRect(host_, &shown_, TRUE);
    shown_ = Area();
    ::InvalidateRect(host_, &shown_, TRUE);
}

void ControlPeer::Changed(Change what) {
    switch (what) {
    case Change::Bounds:
        if (window_ != nullptr) PlaceWindows();
        Invalidate();
        break;
    case Change::Text: ApplyText(); break;
    case Change::Visible:
        for (HWND window : {window_, browse_}) {
            if (window != nullptr) ::ShowWindow(window, control_.Visible() ? SW_SHOWNA : SW_HIDE);
        }
        Invalidate();
        break;
    case Change::Enabled:
        for (HWND window : {window_, browse_}) {
            if (window != nullptr) ::EnableWindow(window, control_.Enabled());
        }
        Invalidate();
        break;
    case Change::Font: ApplyFont(); break;
    case Change::Checked:
        if (control_.Kind() == ControlKind::CheckBox)
            ::SendMessageW(window_, BM_SETCHECK,
                           static_cast<CheckBox&>(control_).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case Change::Position:
        if (control_.Kind() == ControlKind::ProgressBar)
            ::SendMessageW(window_, PBM_SETPOS, static_cast<ProgressBar&>(control_).Position(), 0);
        break;
    case Change::Items: ApplyItems(); break;
    case Change::Picture:
        picture_.Reset();
        Invalidate();
        break;
    case Change::Style:
        if (control_.Kind() == ControlKind::ComboBox) {
            ::SendMessageW(window_, CB_SETITEMHEIGHT, 0, static_cast<ComboBox&>(control_).ItemHeight());
            PlaceWindows();
        }
        Invalidate();
        break;
    case Change::Timer: break;
    }
}

void ControlPeer::Command(HWND from, WORD code) {
    switch (control_.Kind()) {
    case ControlKind::Button:
    case ControlKind::BitmapButton:
        if (code == BN_CLICKED) static_cast<Button&>(control_).Click();
        break;
    case ControlKind::CheckBox:
        if (code == BN_CLICKED)
            static_cast<CheckBox&>(control_).SetCheckedFromUser(::SendMessageW(window_, BM_GETCHECK, 0, 0) ==
                                                                BST_CHECKED);
        break;
    case ControlKind::Edit:
    case ControlKind::DirectoryEdit:
        if (from == browse_ && code == BN_CLICKED) {
            static_cast<DirectoryEdit&>(control_).Browse();
            ::SetFocus(window_);
        } else if (from == window_ && code == EN_CHANGE && !applying_) {
            static_cast<Edit&>(control_).SetTextFromUser(TextOf(window_));
        }
        break;
    case ControlKind::ComboBox: {
        auto& combo = static_cast<ComboBox&>(control_);
        if (code == CBN_EDITCHANGE && !applying_) combo.SetTextFromUser(TextOf(window_));
        const LRESULT chosen = ::SendMessageW(window_, CB_GETCURSEL, 0, 0);
        if (code == CBN_SELCHANGE && chosen >= 0 && static_cast<std::size_t>(chosen) < combo.Items().size())
            combo.SetTextFromUser(combo.Items()[static_cast<std::size_t>(chosen)]);
        break;
    }
    default: break;
    }
}

void ControlPeer::DrawItem(const DRAWITEMSTRUCT& item) {
    if (control_.Kind() != ControlKind::BitmapButton) return;
    DrawBitmapButton(item, static_cast<BitmapButton&>(control_), ui_.Fonts().Get(control_.GetFont()), ui_.Pictures());
}

void ControlPeer::PaintOn(HDC dc) {
    shown_ = Area();
    if (control_.Kind() == ControlKind::Label) {
        DrawLabel(dc, static_cast<Label&>(control_), ui_.Fonts().Get(control_.GetFont()));
        return;
    }
    if (control_.Kind() != ControlKind::Picture) return;
    const auto& picture = static_cast<Picture&>(control_);
    if (!picture_ && !picture.GetImage().Empty()) picture_ = DibFromImage(picture.GetImage());
    DrawPicture(dc, picture, picture_.Get());
}

void ControlPeer::PaintBox(HDC dc) {
    RECT client{};
    ::GetClientRect(window_, &client);
    const HFONT font = ui_.Fonts().Get(control_.GetFont());
    if (control_.Kind() == ControlKind::GroupBox)
        DrawGroupFrame(dc, control_, font, client.right, client.bottom);
    else
        DrawPanel(dc, control_, font, client.right, client.bottom);
    PaintWindowless(dc, *control_.AsContainer());
}

LRESULT CALLBACK ControlPeer::BoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ControlPeer*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ != window) return ::DefWindowProcW(window, message, wParam, lParam);
    if (const auto answer = self->ui_.ChildMessage(message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(window, &paint);
        self->PaintBox(dc);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: self->PaintBox(reinterpret_cast<HDC>(wParam)); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace instalator::platform::win32
