#pragma once
// The controls of the form toolkit: labels, frames, buttons, fields, lists, bars,
// pictures, and the timer of a form.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/control.hpp"
#include "platform/image.hpp"

namespace instalator::platform {

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

}  // namespace instalator::platform
