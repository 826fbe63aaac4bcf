// The form of the form toolkit: frame, showing and hiding, modal runs, close
// requests, paint layers and its window procedure.

#include "platform/form.hpp"

#include <algorithm>
#include <exception>

#include "platform/application.hpp"

namespace instalator::platform {

Form::Form(Application& application, std::string name) : Component(std::move(name)), application_(application) {}

Form::~Form() { application_.Forget(*this); }

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::Text);
}

void Form::SetFont(Font font) {
    font_ = std::move(font);
    Notify(Change::Font);
}

void Form::SetBorder(BorderStyle border) {
    border_ = border;
    Notify(Change::Style);
}

void Form::SetIcons(BorderIcons icons) {
    icons_ = icons;
    Notify(Change::Style);
}

void Form::SetStayOnTop(bool stayOnTop) {
    stayOnTop_ = stayOnTop;
    Notify(Change::Style);
}

void Form::SetState(WindowState state) {
    state_ = state;
    Notify(Change::Style);
}

int Form::Width() const { return clientWidth_ + application_.GetUi().NonClientSize(*this).width; }

int Form::Height() const { return clientHeight_ + application_.GetUi().NonClientSize(*this).height; }

void Form::SetBounds(Rect outer) { ApplyBounds(outer, false); }

void Form::SetBoundsFromBackend(Rect outer) { ApplyBounds(outer, true); }

void Form::SetClientSize(int width, int height) {
    const Size frame = application_.GetUi().NonClientSize(*this);
    ApplyBounds({left_, top_, width + frame.width, height + frame.height}, false);
}

void Form::ApplyBounds(Rect outer, bool fromBackend) {
    const Size frame = application_.GetUi().NonClientSize(*this);
    const int clientWidth = outer.width - frame.width;
    const int clientHeight = outer.height - frame.height;
    const bool moved = outer.left != left_ || outer.top != top_;
    const bool resized = clientWidth != clientWidth_ || clientHeight != clientHeight_;
    left_ = outer.left;
    top_ = outer.top;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    if (!fromBackend && (moved || resized)) Notify(Change::Bounds);
    if (resized && realised_) application_.Dispatch(Name() + ".FormResize", OnResize);
}

void Form::Show() {
    application_.Dispatch(Name() + ".FormShow", OnShow);
    if (position_ == FormPosition::ScreenCenter) {
        const Size screen = application_.GetUi().ScreenSize();
        MoveTo((screen.width - Width()) / 2, (screen.height - Height()) / 2);
    }
    visible_ = true;
    Realise();
    application_.GetUi().ShowForm(*this);
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    application_.GetUi().HideForm(*this);
}

int Form::ShowModal() {
    modalResult_ = kModalNone;
    application_.Dispatch(Name() + ".FormShow", OnShow);
    if (position_ == FormPosition::ScreenCenter) {
        const Size screen = application_.GetUi().ScreenSize();
        MoveTo((screen.width - Width()) / 2, (screen.height - Height()) / 2);
    }
    visible_ = true;
    modal_ = true;
    Realise();
    struct ModalScope {
        Form& form;
        ~ModalScope() { form.modal_ = false; }
    } scope{*this};
    application_.GetUi().RunModal(*this);
    application_.EndIfTerminated();
    modal_ = false;
    Hide();
    return modalResult_;
}

void Form::Close() {
    if (modal_) {
        modalResult_ = kModalCancel;
    } else if (application_.MainForm() == this) {
        Hide();
        application_.Terminate();
    } else {
        Hide();
    }
}

void Form::CloseFromUser() {
    if (!HasCloseButton() && application_.MainForm() != this) return;
    application_.Dispatch(Name() + ".Close", [this] { Close(); });
}

void Form::AddPaintLayer(const void* key, PaintRoutine paint, bool bottom) {
    RemovePaintLayer(key);
    Layer layer{key, std::move(paint)};
    if (bottom) {
        layers_.insert(layers_.begin(), std::move(layer));
    } else {
        layers_.push_back(std::move(layer));
    }
    Repaint();
}

void Form::RemovePaintLayer(const void* key) {
    std::erase_if(layers_, [key](const Layer& layer) { return layer.key == key; });
}

void Form::Paint(Canvas& surface) {
    application_.Dispatch(Name() + ".Paint", [this, &surface] {
        for (const Layer& layer : layers_) layer.paint(surface);
    });
}

void Form::Repaint() {
    if (realised_ && visible_) application_.GetUi().Repaint(*this);
}

WindowProcedure Form::WindowProc() {
    Realise();
    return procedure_;
}

namespace {

Control* FirstFocusable(const Container& container) {
    for (Control* control : container.TabOrdered()) {
        if (!control->Visible() || !control->Enabled()) continue;
        if (control->TabStop()) return control;
        if (Container* inner = control->AsContainer()) {
            if (Control* found = FirstFocusable(*inner)) return found;
        }
    }
    return nullptr;
}

Control* FindIn(const Container& container, std::string_view name) {
    for (Control* control : container.Controls()) {
        if (control->Name() == name) return control;
        if (Container* inner = control->AsContainer()) {
            if (Control* found = FindIn(*inner, name)) return found;
        }
    }
    return nullptr;
}

}  // namespace

Control* Form::InitialFocus() const { return FirstFocusable(*this); }

Control* Form::Find(std::string_view name) const { return FindIn(*this, name); }

void Form::Realise() {
    if (realised_) return;
    realised_ = true;
    application_.GetUi().Realise(*this);
}

}  // namespace instalator::platform
