#include "platform/controls.hpp"

#include <algorithm>

#include "platform/application.hpp"

namespace instalator::platform {

// ---- Container -------------------------------------------------------------------

std::vector<Control*> Container::TabOrdered() const {
    std::vector<Control*> ordered;
    for (Control* control : controls_) {
        if (control->IsWindowed()) ordered.push_back(control);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control* a, const Control* b) { return a->TabOrder() < b->TabOrder(); });
    return ordered;
}

// ---- Control ---------------------------------------------------------------------

Control::Control(Container& parent, std::string name, ControlKind kind, Rect bounds)
    : Component(std::move(name)), parent_(parent), kind_(kind), bounds_(bounds) {
    if (IsWindowed()) {
        tabOrder_ = static_cast<int>(std::count_if(parent_.controls_.begin(), parent_.controls_.end(),
                                                   [](const Control* c) { return c->IsWindowed(); }));
    }
    parent_.controls_.push_back(this);
}

Control::~Control() { std::erase(parent_.controls_, this); }

void Control::SetBounds(Rect bounds) {
    if (bounds == bounds_) return;
    bounds_ = bounds;
    Notify(Change::Bounds);
}

void Control::SetText(std::string text) {
    text_ = std::move(text);
    Notify(Change::Text);
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Notify(Change::Visible);
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(Change::Enabled);
}

const Font& Control::GetFont() const { return ownFont_ ? *ownFont_ : parent_.ChildFont(); }

void Control::SetFont(Font font) {
    ownFont_ = std::make_unique<Font>(std::move(font));
    Notify(Change::Font);
}

bool Control::IsWindowed() const { return kind_ != ControlKind::Label && kind_ != ControlKind::Picture; }

bool Control::TabStop() const {
    switch (kind_) {
    case ControlKind::Button:
    case ControlKind::BitmapButton:
    case ControlKind::CheckBox:
    case ControlKind::Edit:
    case ControlKind::DirectoryEdit:
    case ControlKind::ComboBox: return true;
    default: return false;
    }
}

void Control::SetTabOrder(int order) {
    tabOrder_ = order;
    Notify(Change::Style);
}

std::string Control::EventName(std::string_view event) const {
    return OwnerForm().Name() + "." + Name() + std::string(event);
}

void Control::Dispatch(std::string_view event, const std::function<void()>& handler) {
    OwnerForm().App().Dispatch(EventName(event), handler);
}

// ---- Label -----------------------------------------------------------------------

void Label::SetText(std::string text) {
    Control::SetText(std::move(text));
    FitText();
}

void Label::SetFont(Font font) {
    Control::SetFont(std::move(font));
    FitText();
}

void Label::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    Notify(Change::Style);
}

void Label::SetLayout(VerticalLayout layout) {
    layout_ = layout;
    Notify(Change::Style);
}

void Label::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    Notify(Change::Style);
}

void Label::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Notify(Change::Style);
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitText();
}

void Label::FitText() {
    if (!autoSize_) return;
    const Size size = OwnerForm().App().GetUi().MeasureText(GetFont(), Text());
    SetBounds({Left(), Top(), size.width, size.height});
}

// ---- Buttons and fields ----------------------------------------------------------

void Button::Click() {
    Dispatch("Click", [this] {
        if (modalResult_ != kModalNone) OwnerForm().SetModalResult(modalResult_);
        if (OnClick) OnClick();
    });
}

void CheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Notify(Change::Checked);
}

char Edit::KeyPress(char key) {
    Dispatch("KeyPress", [this, &key] {
        if (OnKeyPress) OnKeyPress(key);
    });
    return key;
}

void DirectoryEdit::Browse() {
    Dispatch("Browse", [this] {
        std::string start = Text().empty() ? std::string("\\") : Text();
        if (OnBeforeDialog) OnBeforeDialog(start);
        const std::optional<std::string> chosen = OwnerForm().App().GetUi().BrowseForFolder(start);
        std::string path = chosen.value_or(start);
        bool accepted = chosen.has_value();
        if (OnAfterDialog) OnAfterDialog(path, accepted);
        if (accepted) SetText(std::move(path));
    });
}

void ComboBox::AddItem(std::string item) {
    items_.push_back(std::move(item));
    Notify(Change::Items);
}

void ComboBox::SetItemHeight(int height) {
    itemHeight_ = height;
    Notify(Change::Style);
}

void ProgressBar::SetPosition(std::int64_t position) {
    const int clamped = static_cast<int>(std::clamp<std::int64_t>(position, 0, 100));
    if (clamped == position_) return;
    position_ = clamped;
    Notify(Change::Position);
}

void Picture::SetImage(platform::Image image) {
    image_ = std::move(image);
    Notify(Change::Picture);
}

void Picture::SetStretch(bool stretch) {
    stretch_ = stretch;
    Notify(Change::Style);
}

void Picture::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Notify(Change::Style);
}

// ---- Timer -----------------------------------------------------------------------

Timer::Timer(Form& owner, std::string name) : Component(std::move(name)), owner_(owner) {
    owner_.timers_.push_back(this);
}

Timer::~Timer() { std::erase(owner_.timers_, this); }

void Timer::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    Notify(Change::Timer);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(Change::Timer);
}

void Timer::Tick() {
    if (!enabled_) return;
    owner_.App().Dispatch(owner_.Name() + "." + Name() + "Timer", [this] {
        if (OnTimer) OnTimer();
    });
}

}  // namespace instalator::platform
