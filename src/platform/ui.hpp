#pragma once
// The user-interface backend: one object per process that realises the toolkit's
// forms (forms.hpp) as windows and answers the installer's questions. The Win32
// backend shows real windows; the headless backend answers from a test's script and
// records what was shown. The installer's code talks to it only through the toolkit.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/canvas.hpp"

namespace instalator::platform {

class Form;

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// A place and size in pixels: relative to the parent for controls, to the screen
// for the outer frame of a form.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

enum class Charset { Default, EastEurope };

struct Font {
    std::string name = "MS Sans Serif";
    int height = 11;  // character height in pixels (8 points), without the internal leading
    bool bold = false;
    bool italic = false;
    Charset charset = Charset::Default;
    Color colour{};  // black
    bool operator==(const Font&) const = default;
};

// Message-box styles and answers, numbered as the platform numbers them.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbOkCancel = 0x01;
inline constexpr unsigned kMbAbortRetryIgnore = 0x02;
inline constexpr unsigned kMbYesNo = 0x04;
inline constexpr unsigned kMbIconStop = 0x10;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class Ui {
public:
    virtual ~Ui() = default;

    // The title the platform shows for the application (the taskbar button).
    virtual void SetApplicationTitle(const std::string& title) = 0;

    // Creates the native window of form and of all its controls, hidden, attaches a
    // peer to the form, to every control and timer (Component::AttachPeer) and puts
    // the backend's own handling into the form's window-procedure slot. Runs once per
    // form, before anything is shown.
    virtual void Realise(Form& form) = 0;

    // Shows a form without waiting and brings it to the front. The model is already
    // visible and placed; a maximised form is maximised here and its new size written
    // back with Form::SetBoundsFromBackend.
    virtual void ShowForm(Form& form) = 0;
    virtual void HideForm(Form& form) = 0;
    // Shows form with every other window of the application disabled and handles
    // messages until form.ModalResult() is not 0; then enables the others again. The
    // toolkit hides the form afterwards.
    virtual void RunModal(Form& form) = 0;

    // Lets the pending window messages run (paints, clicks) and returns.
    virtual void ProcessMessages() = 0;
    // A clock in milliseconds that wraps at 2^32, for pacing updates of the screen.
    virtual std::uint32_t Milliseconds() = 0;
    // Handles messages until QuitMessageLoop; returns at once when it was asked before.
    virtual void RunMessageLoop() = 0;
    virtual void QuitMessageLoop() = 0;
    // Stops the message loop and ends the process at once with exitCode; where names
    // the event that was running (for the headless record).
    [[noreturn]] virtual void EndProcess(const std::string& where, int exitCode) = 0;

    // A message box owned by the application, every window disabled while it is open;
    // style is a set of kMb* values, the result one of the kId* values.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
    // The shell's folder browser rooted at the desktop, file-system folders only, no
    // instruction text, startFolder pre-selected when it exists. The chosen folder's
    // path, or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseForFolder(const std::string& startFolder) = 0;

    // The size of the screen a maximised window covers.
    virtual Size ScreenSize() = 0;
    // What the frame and title bar of form add to its client size.
    virtual Size NonClientSize(const Form& form) = 0;
    // The size of text drawn in font without wrapping; line breaks start new lines.
    virtual Size MeasureText(const Font& font, const std::string& text) = 0;
    // Asks for the client area of a visible form to be painted again.
    virtual void Repaint(Form& form) = 0;
};

}  // namespace instalator::platform
