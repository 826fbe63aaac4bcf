#pragma once
// The base of the form toolkit's model: a component with a name and a backend peer,
// a container of controls, and the control with its place, text, font and tab order.

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

}  // namespace instalator::platform
