// Forms and the application object of the form toolkit (forms.hpp).

#include <algorithm>
#include <exception>

#include "platform/forms.hpp"

namespace instalator::platform {

// ---- Form ------------------------------------------------------------------------

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

// ---- Application -----------------------------------------------------------------

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
    return text;
}

void Application::SetTitle(std::string title) {
    title_ = std::move(title);
    ui_.SetApplicationTitle(title_);
}

void Application::CreateForm(Form& form) {
    forms_.push_back(&form);
    form.Realise();
    Dispatch(form.Name() + ".FormCreate", form.OnCreate);
}

void Application::Forget(Form& form) { std::erase(forms_, &form); }

void Application::Run() {
    if (Form* main = MainForm()) main->Show();
    ui_.RunMessageLoop();
}

void Application::Terminate() {
    terminated_ = true;
    ui_.QuitMessageLoop();
}

void Application::ProcessMessages() {
    ui_.ProcessMessages();
    EndIfTerminated();
}

void Application::EndIfTerminated() {
    if (terminated_) EndInstaller();
}

void Application::EndInstaller() {
    auto actions = std::move(endActions_);
    endActions_.clear();
    for (auto action = actions.rbegin(); action != actions.rend(); ++action) {
        try {
            action->second();
        } catch (const std::exception&) {
            // The process ends anyway; what could not be undone stays.
        }
    }
    ui_.EndProcess(CurrentEvent());
    // A backend whose EndProcess returns breaks its contract; nothing may run on.
    std::terminate();
}

void Application::Dispatch(std::string_view where, const std::function<void()>& handler) {
    if (!handler) return;
    events_.emplace_back(where);
    struct EventScope {
        std::vector<std::string>& events;
        ~EventScope() { events.pop_back(); }
    } scope{events_};
    try {
        handler();
    } catch (const std::exception& error) {
        MessageBox(ErrorBoxText(error.what()), title_, kMbOk | kMbIconStop);
        EndInstaller();
    }
}

std::string Application::CurrentEvent() const { return events_.empty() ? std::string() : events_.back(); }

int Application::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    const int answer = ui_.MessageBox(text, caption, style);
    EndIfTerminated();
    return answer;
}

void Application::ShowMessage(const std::string& text) { MessageBox(text, title_, kMbOk); }

// ---- EndAction -------------------------------------------------------------------

EndAction::EndAction(Application& application, std::function<void()> action) : application_(application) {
    application_.endActions_.emplace_back(this, std::move(action));
}

EndAction::~EndAction() {
    std::erase_if(application_.endActions_, [this](const auto& entry) { return entry.first == this; });
}

}  // namespace instalator::platform
