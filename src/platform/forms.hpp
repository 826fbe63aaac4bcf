#pragma once
// The form toolkit: the portable model of the installer's windows. A form class
// declares its controls as members with their names, places, texts and fonts, and
// binds its handlers to their events. The model holds all state; a backend (Ui)
// realises it as native windows: setters tell the control's peer what changed, and
// the backend writes the user's changes back through the *FromUser/*FromBackend
// calls. Every event reaches the installer through Application::Dispatch, which
// turns an error escaping a handler into the default error box and the end of the
// installer.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/canvas.hpp"
#include "platform/image.hpp"
#include "platform/ui.hpp"

namespace instalator::platform {

class Application;
class Control;
class Form;

// What a setter changed, for the peer of a realised form, control or timer.
enum class Change {
    Bounds,   // place or size (for a form: also the client size)
    Text,     // caption of a form, label, button, box or panel; text of an edit or combo
    Visible,
    Enabled,
    Font,
    Style,    // a look property: alignment, wrapping, border, icons, glyph, stretch...
    Checked,
    Position,  // of a progress bar
    Items,     // of a combo box
    Picture,
    Timer,     // interval or enabled
};

// The backend's counterpart of one component.
class Peer {
public:
    virtual ~Peer() = default;
    virtual void Changed(Change what) = 0;
};

// Something with a name that a backend may realise: forms, controls, timers.
class Component {
public:
    explicit Component(std::string name) : name_(std::move(name)) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& Name() const { return name_; }
    void AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
    Peer* GetPeer() const { return peer_.get(); }

protected:
    void Notify(Change what) {
        if (peer_) peer_->Changed(what);
    }

private:
    std::string name_;
    std::unique_ptr<Peer> peer_;
};

// A form or a control that holds controls, in declaration order.
class Container {
public:
    virtual ~Container() = default;
    const std::vector<Control*>& Controls() const { return controls_; }
    // The form this container belongs to (itself for a form).
    virtual Form& OwnerForm() = 0;
    // The font of children that do not set their own.
    virtual const Font& ChildFont() const = 0;

    // The controls in tab order (stable: declaration order among equal numbers).
    std::vector<Control*> TabOrdered() const;

private:
    friend class Control;
    std::vector<Control*> controls_;
};

enum class ControlKind {
    Label,
    GroupBox,
    Panel,
    Button,
    BitmapButton,
    CheckBox,
    Edit,
    DirectoryEdit,
    ComboBox,
    ProgressBar,
    Picture,
};

class Control : public Component {
public:
    Control(Container& parent, std::string name, ControlKind kind, Rect bounds);
    ~Control() override;

    ControlKind Kind() const { return kind_; }
    Container& Parent() const { return parent_; }
    Form& OwnerForm() const { return parent_.OwnerForm(); }
    // Non-null when this control holds controls (group box, panel).
    virtual Container* AsContainer() { return nullptr; }

    const Rect& Bounds() const { return bounds_; }
    void SetBounds(Rect bounds);
    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.width; }
    int Height() const { return bounds_.height; }
    void SetLeft(int left) { SetBounds({left, bounds_.top, bounds_.width, bounds_.height}); }
    void SetTop(int top) { SetBounds({bounds_.left, top, bounds_.width, bounds_.height}); }

    // Caption or text, whichever the kind shows; cp1250.
    const std::string& Text() const { return text_; }
    virtual void SetText(std::string text);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The control's own font, or its parent's while it has none.
    const Font& GetFont() const;
    virtual void SetFont(Font font);

    // Controls with a native window of their own take part in the tab order; labels
    // and pictures are drawn on their parent.
    bool IsWindowed() const;
    // True for the kinds that take the focus (buttons, check boxes, edits, combos).
    bool TabStop() const;
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);

protected:
    // "<form>.<control><event>", the name under which an event is dispatched.
    std::string EventName(std::string_view event) const;
    void Dispatch(std::string_view event, const std::function<void()>& handler);
    // Stores a new text without telling the peer (the backend already shows it).
    void StoreText(std::string text) { text_ = std::move(text); }

private:
    Container& parent_;
    ControlKind kind_;
    Rect bounds_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<Font> ownFont_;
    int tabOrder_ = 0;
};

enum class Alignment { Left, Center, Right };
enum class VerticalLayout { Top, Center };

// A text drawn on the parent (no native window).
class Label final : public Control {
public:
    Label(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::Label, bounds) {}

    void SetText(std::string text) override;
    void SetFont(Font font) override;

    Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(Alignment alignment);
    VerticalLayout Layout() const { return layout_; }
    void SetLayout(VerticalLayout layout);
    // Breaks lines at word boundaries to fit the width; text beyond the height is cut.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    // Draws only the text, leaving what lies beneath visible.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // Takes the size of its text (ui.MeasureText) whenever the text or font changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

private:
    void FitText();

    Alignment alignment_ = Alignment::Left;
    VerticalLayout layout_ = VerticalLayout::Top;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

// A frame with an optional caption in its top edge.
class GroupBox final : public Control, public Container {
public:
    GroupBox(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::GroupBox, bounds) {}
    Container* AsContainer() override { return this; }
    Form& OwnerForm() override { return Control::OwnerForm(); }
    const Font& ChildFont() const override { return GetFont(); }
};

// A raised one-pixel bevel with its caption centred.
class Panel final : public Control, public Container {
public:
    Panel(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::Panel, bounds) {}
    Container* AsContainer() override { return this; }
    Form& OwnerForm() override { return Control::OwnerForm(); }
    const Font& ChildFont() const override { return GetFont(); }
};

class Button : public Control {
public:
    Button(Container& parent, std::string name, Rect bounds)
        : Button(parent, std::move(name), ControlKind::Button, bounds) {}

    std::function<void()> OnClick;
    // Set as the form's modal result when the button is pressed (0: none).
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // The user pressed the button (click, Enter on it, its Alt key).
    void Click();

protected:
    Button(Container& parent, std::string name, ControlKind kind, Rect bounds)
        : Control(parent, std::move(name), kind, bounds) {}

private:
    int modalResult_ = 0;
};

// The two pictures of the installer's buttons.
enum class ButtonPicture {
    Install,  // a computer with a software box, 32 × 32, 256 colours
    Abort,    // a red diagonal cross, 18 × 18, 16 colours, grey when disabled
};
enum class PictureLayout { Above, Left };  // where the picture stands beside the caption

class BitmapButton final : public Button {
public:
    BitmapButton(Container& parent, std::string name, Rect bounds, ButtonPicture picture, PictureLayout layout)
        : Button(parent, std::move(name), ControlKind::BitmapButton, bounds), picture_(picture), layout_(layout) {}
    ButtonPicture Glyph() const { return picture_; }
    PictureLayout GlyphPlace() const { return layout_; }

private:
    ButtonPicture picture_;
    PictureLayout layout_;
};

class CheckBox final : public Control {
public:
    CheckBox(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::CheckBox, bounds) {}
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void SetCheckedFromUser(bool checked) { checked_ = checked; }

private:
    bool checked_ = false;
};

class Edit : public Control {
public:
    Edit(Container& parent, std::string name, Rect bounds) : Edit(parent, std::move(name), ControlKind::Edit, bounds) {}

    // Told every character typed; setting it to 0 keeps it from the field.
    std::function<void(char& key)> OnKeyPress;
    // The user typed a character: returns it, or 0 when a handler took it.
    char KeyPress(char key);
    void SetTextFromUser(std::string text) { StoreText(std::move(text)); }

protected:
    Edit(Container& parent, std::string name, ControlKind kind, Rect bounds)
        : Control(parent, std::move(name), kind, bounds) {}
};

// A one-line field with a browse button at its right end that opens the folder
// browser.
class DirectoryEdit final : public Edit {
public:
    DirectoryEdit(Container& parent, std::string name, Rect bounds)
        : Edit(parent, std::move(name), ControlKind::DirectoryEdit, bounds) {}

    // Told the browser's outcome before the text changes: path is the chosen folder
    // (the start folder when accepted is false) and may be changed; the text becomes
    // path when accepted is still true afterwards.
    std::function<void(std::string& path, bool& accepted)> OnAfterDialog;
    // Told the start folder before the browser opens; may change it.
    std::function<void(std::string& startFolder)> OnBeforeDialog;
    // The user pressed the browse button: the browser starts at the text ("\" when it
    // is empty), as OnBeforeDialog leaves it.
    void Browse();
};

// An editable drop-down list: any text, with a list of proposals.
class ComboBox final : public Control {
public:
    ComboBox(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::ComboBox, bounds) {}
    const std::vector<std::string>& Items() const { return items_; }
    void AddItem(std::string item);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    void SetTextFromUser(std::string text) { StoreText(std::move(text)); }

private:
    std::vector<std::string> items_;
    int itemHeight_ = 13;
};

// A horizontal bar showing 0 to 100.
class ProgressBar final : public Control {
public:
    ProgressBar(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::ProgressBar, bounds) {}
    int Position() const { return position_; }
    // Values outside 0..100 stand at the nearest end.
    void SetPosition(std::int64_t position);

private:
    int position_ = 0;
};

// A bitmap drawn on the parent: scaled to the control (stretch) or unscaled from the
// top left corner and clipped; when transparent, pixels of the bitmap's bottom-left
// colour are not drawn.
class Picture final : public Control {
public:
    Picture(Container& parent, std::string name, Rect bounds)
        : Control(parent, std::move(name), ControlKind::Picture, bounds) {}
    const platform::Image& GetImage() const { return image_; }
    void SetImage(platform::Image image);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

private:
    platform::Image image_;
    bool stretch_ = false;
    bool transparent_ = false;
};

// A periodic event of a form while enabled; a new timer is enabled, 1000 ms.
class Timer final : public Component {
public:
    Timer(Form& owner, std::string name);
    ~Timer() override;
    Form& Owner() const { return owner_; }
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;
    // The period has passed: runs OnTimer while the timer is enabled.
    void Tick();

private:
    Form& owner_;
    int interval_ = 1000;
    bool enabled_ = true;
};

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

// The text of the default error box: the error's text, with a full stop added when
// its last byte comes after "." in the code page's order.
std::string ErrorBoxText(std::string_view message);

// The process-wide application: the backend, the title, the forms in creation order
// and the one place where events are dispatched.
class Application {
public:
    explicit Application(Ui& ui) : ui_(ui) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Ui& GetUi() const { return ui_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    // Realises form hidden and runs its OnCreate; the first form created is the main
    // form.
    void CreateForm(Form& form);
    Form* MainForm() const { return forms_.empty() ? nullptr : forms_.front(); }
    const std::vector<Form*>& Forms() const { return forms_; }

    // Shows the main form and handles messages until the loop is asked to end.
    void Run();
    // Asks the message loop to end. Every nested loop (a modal form, a message box,
    // ProcessMessages) ends too, and the process then ends at once with exit code 0:
    // nothing that was waiting for the loop runs any more.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Lets the pending window messages run; ends the process if one of them asked the
    // message loop to end.
    void ProcessMessages();
    // Ends the message loop and the process at once, exit code 0, after running the
    // end actions that are registered (newest first).
    [[noreturn]] void EndInstaller();

    // Runs handler as the event where ("TMain.FormCreate"). An error (std::exception)
    // escaping it is shown in the default error box (ErrorBoxText, caption the title,
    // OK, stop icon), after which the installer ends.
    void Dispatch(std::string_view where, const std::function<void()>& handler);
    // The event being dispatched (the innermost one); empty outside events.
    std::string CurrentEvent() const;

    // A message box with the given caption.
    int MessageBox(const std::string& text, const std::string& caption, unsigned style);
    // The plain message box: caption the application title, one OK button, no icon.
    void ShowMessage(const std::string& text);

private:
    friend class Form;
    friend class EndAction;
    void Forget(Form& form);
    void EndIfTerminated();

    Ui& ui_;
    std::string title_;
    std::vector<Form*> forms_;
    std::vector<std::string> events_;
    bool terminated_ = false;
    std::vector<std::pair<const void*, std::function<void()>>> endActions_;
};

// Undoes unfinished work if the installer ends while this object lives (a file that
// is only half written is removed): EndInstaller runs the action before the process
// ends. A failure of the action itself is ignored, since the process ends anyway.
class EndAction {
public:
    EndAction(Application& application, std::function<void()> action);
    ~EndAction();
    EndAction(const EndAction&) = delete;
    EndAction& operator=(const EndAction&) = delete;

private:
    Application& application_;
};

}  // namespace instalator::platform
