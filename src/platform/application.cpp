// The application object of the form toolkit: the forms, the message loop, the one
// place where events are dispatched, message boxes and the end of the installer.

#include "platform/application.hpp"

#include <algorithm>
#include <exception>

namespace instalator::platform {

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

void Application::Run(bool hidden) {
    Form* main = MainForm();
    if (main != nullptr && !hidden) main->Show();
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
    ui_.EndProcess(CurrentEvent(), exitCode_);
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
        if (errorListener_) errorListener_(error.what());
        MessageBox(ErrorBoxText(error.what()), title_, kMbOk | kMbIconStop);
        EndInstaller();
    }
}

std::string Application::CurrentEvent() const { return events_.empty() ? std::string() : events_.back(); }

int Application::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    const int answer = boxAnswerer_ ? boxAnswerer_(text, caption, style) : ui_.MessageBox(text, caption, style);
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
