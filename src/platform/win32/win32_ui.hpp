#pragma once
// The user interface on Win32: every form of the toolkit becomes a top-level window,
// group boxes and panels become child windows that paint their frame and their
// labels, and buttons, check boxes, edits, combo boxes and progress bars become the
// system's controls. Labels and pictures have no window: the form or box beneath
// draws them, in declaration order, over its background. The main form is owned by a
// window without area that carries the application title on the taskbar; the other
// forms belong to the main one.

#include "platform/win32/win32_api.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.hpp"
#include "platform/ui.hpp"
#include "platform/win32/fonts.hpp"
#include "platform/win32/gdi.hpp"

namespace instalator::platform::win32 {

class FormWindow;
class ControlPeer;

// The two button pictures as DIB sections, with their sizes; the bottom-left pixel
// of each is its transparent colour.
struct ButtonPictures {
    struct Glyph {
        Bitmap bitmap;
        int width = 0;
        int height = 0;
        COLORREF transparent = 0;
    };
    Glyph install;
    Glyph cross;
    Glyph crossDisabled;
};

class Win32Ui final : public Ui {
public:
    // For a scope, every enabled form window but one (none) is disabled; they are
    // enabled again when it ends.
    class FormsDisabled {
    public:
        FormsDisabled(const Win32Ui& ui, const Form* except);
        ~FormsDisabled();
        FormsDisabled(const FormsDisabled&) = delete;
        FormsDisabled& operator=(const FormsDisabled&) = delete;

    private:
        std::vector<HWND> windows_;
    };

    explicit Win32Ui(HINSTANCE instance);
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    void SetApplicationTitle(const std::string& title) override;
    void Realise(Form& form) override;
    void ShowForm(Form& form) override;
    void HideForm(Form& form) override;
    void RunModal(Form& form) override;
    void ProcessMessages() override;
    std::uint32_t Milliseconds() override;
    void RunMessageLoop() override;
    void QuitMessageLoop() override;
    [[noreturn]] void EndProcess(const std::string& where, int exitCode) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    std::optional<std::string> BrowseForFolder(const std::string& startFolder) override;
    Size ScreenSize() override;
    Size NonClientSize(const Form& form) override;
    Size MeasureText(const Font& font, const std::string& text) override;
    void Repaint(Form& form) override;

    // For the windows of the forms and controls.
    HINSTANCE Instance() const { return instance_; }
    FontCache& Fonts() { return fonts_; }
    const ButtonPictures& Pictures() const { return pictures_; }
    void AddControlWindow(HWND window, ControlPeer& peer) { controls_[window] = &peer; }
    void RemoveControlWindow(HWND window) { controls_.erase(window); }
    ControlPeer* ControlOf(HWND window) const;
    FormWindow* FormOf(const Form& form) const;
    // The window a container's children live in: the form's, or a box's own.
    HWND ContainerWindow(const Container& container) const;
    // Gives every control and timer of form that appeared since it was realised
    // its peer; the timers start running from here on.
    void AttachPeers(Form& form);
    // The answer to a message a control sends its parent (command, owner drawing,
    // colours); nothing when it is not such a message.
    std::optional<LRESULT> ChildMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void RegisterClasses();
    void LoadPictures();
    // Handles one message of any loop: keyboard navigation first, then dispatch.
    void Handle(MSG& message);
    bool Navigate(const MSG& message);
    // The window a message box or the folder browser stays above: the active form,
    // else the main form while it is shown, else the application window.
    HWND DialogOwner() const;
    // Gives the activation back to a window that had it before a box or browser.
    static void RestoreActivation(HWND active);

    HINSTANCE instance_;
    HWND application_ = nullptr;
    Application* app_ = nullptr;
    FontCache fonts_;
    ButtonPictures pictures_;
    std::map<HWND, ControlPeer*> controls_;
    bool quitPosted_ = false;
};

}  // namespace instalator::platform::win32
