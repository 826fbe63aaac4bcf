#include "platform/headless/ui.hpp"

#include <algorithm>
#include <stdexcept>

#include "common/text.hpp"

namespace instalator::platform {
namespace {

std::string Utf8(const std::string& text) { return common::Utf8FromCp1250(text); }

void SnapshotControls(const Container& container, std::vector<ControlSnapshot>& out) {
    for (Control* control : container.Controls()) {
        ControlSnapshot snapshot{control->Name(), control->Kind(), control->Text(), control->Bounds(),
                                 control->Visible(), control->Enabled()};
        switch (control->Kind()) {
        case ControlKind::CheckBox: snapshot.checked = static_cast<CheckBox*>(control)->Checked(); break;
        case ControlKind::ProgressBar: snapshot.position = static_cast<ProgressBar*>(control)->Position(); break;
        case ControlKind::ComboBox: snapshot.items = static_cast<ComboBox*>(control)->Items(); break;
        default: break;
        }
        out.push_back(std::move(snapshot));
        if (Container* inner = control->AsContainer()) SnapshotControls(*inner, out);
    }
}

FormSnapshot Snapshot(const Form& form) {
    FormSnapshot snapshot{form.Name(), form.Caption(), form.Bounds(), {form.ClientWidth(), form.ClientHeight()},
                          form.StayOnTop()};
    SnapshotControls(form, snapshot.controls);
    return snapshot;
}

// The answers a message box of that style offers.
std::vector<int> ButtonsOf(unsigned style) {
    switch (style & 0x0F) {
    case kMbOk: return {kIdOk};
    case kMbOkCancel: return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore: return {kIdAbort, kIdRetry, kIdIgnore};
    case 0x03: return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo: return {kIdYes, kIdNo};
    case 0x05: return {kIdRetry, kIdCancel};
    default: return {};
    }
}

// Splits text at CR LF, LF or CR into lines.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

}  // namespace

// ---- Steps -----------------------------------------------------------------------

Step Step::Click(std::string form, std::string control) {
    return {Kind::Click, std::move(form), std::move(control)};
}
Step Step::Type(std::string form, std::string control, std::string text) {
    return {Kind::Type, std::move(form), std::move(control), std::move(text)};
}
Step Step::Key(std::string form, std::string control, char key) {
    Step step{Kind::Key, std::move(form), std::move(control)};
    step.key = key;
    return step;
}
Step Step::Enter(std::string form) { return {Kind::Enter, std::move(form)}; }
Step Step::Close(std::string form) { return {Kind::Close, std::move(form)}; }
Step Step::Browse(std::string form, std::string control) {
    return {Kind::Browse, std::move(form), std::move(control)};
}
Step Step::Answer(int button) {
    Step step{Kind::Answer};
    step.answer = button;
    return step;
}
Step Step::Answer(int button, std::function<void()> then) {
    Step step = Answer(button);
    step.then = std::move(then);
    return step;
}
Step Step::ChooseFolder(std::string path) { return {Kind::ChooseFolder, {}, {}, std::move(path)}; }
Step Step::CancelFolder() { return {Kind::CancelFolder}; }
Step Step::During(std::string form) const {
    Step step = *this;
    step.during = std::move(form);
    return step;
}

bool Step::ActsOnWindow() const {
    return kind != Kind::Answer && kind != Kind::ChooseFolder && kind != Kind::CancelFolder;
}

std::string Step::Describe() const {
    const std::string target = form + (control.empty() ? "" : "." + control);
    switch (kind) {
    case Kind::Click: return "Click " + target;
    case Kind::Type: return "Type \"" + Utf8(text) + "\" into " + target;
    case Kind::Key: return "Key " + std::to_string(static_cast<unsigned char>(key)) + " in " + target;
    case Kind::Enter: return "Enter on " + target;
    case Kind::Close: return "Close " + target;
    case Kind::Browse: return "Browse " + target;
    case Kind::Answer: return "Answer " + std::to_string(answer);
    case Kind::ChooseFolder: return "Choose folder \"" + Utf8(text) + "\"";
    case Kind::CancelFolder: return "Cancel folder browser";
    }
    return "?";
}

const ControlSnapshot& FormSnapshot::Control(std::string_view controlName) const {
    for (const ControlSnapshot& control : controls) {
        if (control.name == controlName) return control;
    }
    throw std::out_of_range("no control " + std::string(controlName) + " on " + name);
}

// ---- Recording -------------------------------------------------------------------

void HeadlessUi::AddSteps(std::initializer_list<Step> steps) {
    for (const Step& step : steps) script_.push_back(step);
}

std::vector<const Event*> HeadlessUi::EventsOf(Event::Kind kind) const {
    std::vector<const Event*> found;
    for (const Event& event : events_) {
        if (event.kind == kind) found.push_back(&event);
    }
    return found;
}

const PixelCanvas* HeadlessUi::LastFrame(std::string_view formName) const {
    const auto found = frames_.find(formName);
    return found == frames_.end() ? nullptr : found->second.get();
}

Control* HeadlessUi::Focus(const Form& form) const {
    const auto found = focus_.find(&form);
    return found == focus_.end() ? nullptr : found->second;
}

// ---- Windows ---------------------------------------------------------------------

void HeadlessUi::Realise(Form& form) {
    application_ = &form.App();
    // The default handling: the background is erased in the button-face colour.
    form.SetWindowProc([this](unsigned message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
        if (message != kEraseBackgroundMessage) return 0;
        if (painting_ != nullptr) {
            painting_->FillRect(0, 0, painting_->Width(), painting_->Height(),
                                painting_->SystemColour(SystemColor::ButtonFace));
        }
        return 1;
    });
}

void HeadlessUi::ShowForm(Form& form) {
    if (form.State() == WindowState::Maximized) {
        form.SetBoundsFromBackend({0, 0, screen_.width, screen_.height});
    }
    focus_[&form] = form.InitialFocus();
    events_.push_back({Event::Kind::Shown, Snapshot(form)});
    Repaint(form);
}

void HeadlessUi::HideForm(Form& form) {
    Event event{Event::Kind::Hidden};
    event.form.name = form.Name();
    events_.push_back(std::move(event));
}

void HeadlessUi::RunModal(Form& form) {
    focus_[&form] = form.InitialFocus();
    events_.push_back({Event::Kind::ShownModal, Snapshot(form)});
    Repaint(form);
    modal_.push_back(&form);
    struct ModalScope {
        std::vector<Form*>& modal;
        ~ModalScope() { modal.pop_back(); }
    } scope{modal_};
    // The loop ends with the form's result, or under it when the message loop is asked
    // to end. Time passes while the form waits: timers that are due fire first, as a
    // modal loop dispatches their messages.
    while (form.ModalResult() == kModalNone && !quit_) {
        TickDueTimers();
        if (form.ModalResult() != kModalNone || quit_) break;
        if (script_.empty()) {
            Fail("modal window " + form.Name() + " (\"" + Utf8(form.Caption()) +
                 "\") waits for the user, but the script has no more steps");
        }
        if (!NextStepActsOn(&form)) {
            Fail("modal window " + form.Name() + " waits for the user, but the next step is: " +
                 script_.front().Describe());
        }
        Perform(TakeStep());
    }
}

void HeadlessUi::ProcessMessages() {
    while (!quit_ && NextStepActsOn(nullptr)) Perform(TakeStep());
}

void HeadlessUi::RunMessageLoop() {
    int ticks = 0;
    while (!quit_) {
        if (NextStepActsOn(nullptr)) {
            Perform(TakeStep());
            continue;
        }
        Timer* timer = DueTimer();
        if (timer == nullptr) break;
        if (++ticks > kMaxTimerTicks) {
            Fail("timer " + timer->Owner().Name() + "." + timer->Name() + " keeps firing with nothing else to do");
        }
        Fire(*timer);
    }
}

void HeadlessUi::EndProcess(const std::string& where, int exitCode) {
    quit_ = true;
    throw InstallerEnded{where, exitCode};
}

int HeadlessUi::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    const std::string shown = "message box \"" + Utf8(text) + "\" (caption \"" + Utf8(caption) + "\")";
    if (script_.empty()) Fail(shown + " appeared, but the script has no more steps");
    if (script_.front().kind != Step::Kind::Answer) {
        Fail(shown + " appeared, but the next step is: " + script_.front().Describe());
    }
    const Step step = TakeStep();
    const int answer = step.answer;
    const std::vector<int> buttons = ButtonsOf(style);
    if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
        Fail(shown + " has no button " + std::to_string(answer) + " (style " + std::to_string(style) + ")");
    }
    Event event{Event::Kind::MessageBox, {}, text, caption, style, answer};
    events_.push_back(std::move(event));
    if (step.then) step.then();
    return answer;
}

std::optional<std::string> HeadlessUi::BrowseForFolder(const std::string& startFolder) {
    const std::string shown = "folder browser at \"" + Utf8(startFolder) + "\"";
    if (script_.empty()) Fail(shown + " opened, but the script has no more steps");
    const Step::Kind kind = script_.front().kind;
    if (kind != Step::Kind::ChooseFolder && kind != Step::Kind::CancelFolder) {
        Fail(shown + " opened, but the next step is: " + script_.front().Describe());
    }
    const Step step = TakeStep();
    Event event{Event::Kind::FolderBrowser, {}, startFolder, step.text};
    events_.push_back(std::move(event));
    if (kind == Step::Kind::CancelFolder) return std::nullopt;
    return step.text;
}

Size HeadlessUi::NonClientSize(const Form& form) {
    switch (form.Border()) {
    case BorderStyle::None: return {0, 0};
    case BorderStyle::Dialog: return kDialogFrame;
    case BorderStyle::Sizeable: return kSizeableFrame;
    }
    return {0, 0};
}

// Every character is half the character height wide (rounded up); a line is the
// character height plus a quarter of it (rounded up) for the leading.
Size HeadlessUi::MeasureText(const Font& font, const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    const int charWidth = (font.height + 1) / 2;
    const int lineHeight = font.height + (font.height + 3) / 4;
    return {static_cast<int>(longest) * charWidth, static_cast<int>(lines.size()) * lineHeight};
}

void HeadlessUi::Repaint(Form& form) {
    if (!form.Visible() || !form.HasPaintLayers() || form.ClientWidth() <= 0 || form.ClientHeight() <= 0) return;
    auto frame = std::make_unique<PixelCanvas>(form.ClientWidth(), form.ClientHeight());
    painting_ = frame.get();
    struct PaintScope {
        PixelCanvas*& painting;
        ~PaintScope() { painting = nullptr; }
    } scope{painting_};
    form.WindowProc()(kEraseBackgroundMessage, 0, 0);
    form.Paint(*frame);
    frames_[form.Name()] = std::move(frame);
}

// ---- Script ----------------------------------------------------------------------

void HeadlessUi::Fail(const std::string& message) const { throw ScriptFailure{message}; }

Form* HeadlessUi::FindForm(std::string_view name) const {
    if (application_ == nullptr) return nullptr;
    for (Form* form : application_->Forms()) {
        if (form->Name() == name) return form;
    }
    return nullptr;
}

bool HeadlessUi::TakesInput(const Form& form) const {
    return form.Visible() && (modal_.empty() || modal_.back() == &form);
}

// True when the next step acts on a window that takes input now (form, when given).
// A close request is a message sent to the window: it reaches any window, also one
// that is hidden or disabled under a modal form.
bool HeadlessUi::NextStepActsOn(const Form* form) const {
    if (script_.empty() || !script_.front().ActsOnWindow()) return false;
    const Step& step = script_.front();
    const Form* target = FindForm(step.form);
    if (target == nullptr) return false;
    if (!step.during.empty()) {
        const Form* awaited = FindForm(step.during);
        if (awaited == nullptr || !awaited->Visible()) return false;
    }
    if (step.kind == Step::Kind::Close) return true;
    return TakesInput(*target) && (form == nullptr || form == target);
}

Step HeadlessUi::TakeStep() {
    Step step = std::move(script_.front());
    script_.pop_front();
    return step;
}

void HeadlessUi::Perform(const Step& step) {
    events_.push_back({Event::Kind::Action, {}, step.Describe()});
    Form& form = *FindForm(step.form);
    switch (step.kind) {
    case Step::Kind::Enter: {
        Control* focused = Focus(form);
        if (focused == nullptr) Fail(step.Describe() + ": no control of " + form.Name() + " has the focus");
        PerformOnControl(step, form, *focused);
        return;
    }
    case Step::Kind::Close: form.CloseFromUser(); return;
    default: PerformOnControl(step, form, TargetControl(step, form));
    }
}

Control& HeadlessUi::TargetControl(const Step& step, Form& form) const {
    Control* control = form.Find(step.control);
    if (control == nullptr) Fail(step.Describe() + ": " + form.Name() + " has no such control");
    for (const Control* c = control; c != nullptr;) {
        if (!c->Visible() || !c->Enabled()) Fail(step.Describe() + ": the control is hidden or disabled");
        Container& parent = c->Parent();
        c = &parent == &form ? nullptr : dynamic_cast<const Control*>(&parent);
    }
    return *control;
}

void HeadlessUi::PerformOnControl(const Step& step, Form& form, Control& control) {
    focus_[&form] = &control;
    const ControlKind kind = control.Kind();
    const bool isButton = kind == ControlKind::Button || kind == ControlKind::BitmapButton;
    const bool isEdit = kind == ControlKind::Edit || kind == ControlKind::DirectoryEdit;
    if ((step.kind == Step::Kind::Click || step.kind == Step::Kind::Enter) && isButton) {
        static_cast<Button&>(control).Click();
    } else if (step.kind == Step::Kind::Click && kind == ControlKind::CheckBox) {
        auto& box = static_cast<CheckBox&>(control);
        box.SetCheckedFromUser(!box.Checked());
    } else if (step.kind == Step::Kind::Type && isEdit) {
        static_cast<Edit&>(control).SetTextFromUser(step.text);
    } else if (step.kind == Step::Kind::Type && kind == ControlKind::ComboBox) {
        static_cast<ComboBox&>(control).SetTextFromUser(step.text);
    } else if (step.kind == Step::Kind::Key && isEdit) {
        auto& edit = static_cast<Edit&>(control);
        const char key = edit.KeyPress(step.key);
        if (static_cast<unsigned char>(key) >= 0x20) edit.SetTextFromUser(edit.Text() + key);
    } else if (step.kind == Step::Kind::Enter && isEdit) {
        static_cast<Edit&>(control).KeyPress('\r');
    } else if (step.kind == Step::Kind::Browse && kind == ControlKind::DirectoryEdit) {
        static_cast<DirectoryEdit&>(control).Browse();
    } else {
        Fail(step.Describe() + ": not possible on " + control.Name());
    }
}

void HeadlessUi::TickDueTimers() {
    if (application_ == nullptr) return;
    std::vector<Timer*> due;
    for (const Form* form : application_->Forms()) {
        for (Timer* timer : form->Timers()) {
            if (timer->Enabled()) due.push_back(timer);
        }
    }
    for (Timer* timer : due) {
        if (quit_) return;
        Fire(*timer);
    }
}

void HeadlessUi::Fire(Timer& timer) {
    // On Windows the handler would run again inside itself; no handler here expects
    // that, so it is reported instead of recursing without end.
    if (std::find(ticking_.begin(), ticking_.end(), &timer) != ticking_.end()) {
        Fail("timer " + timer.Owner().Name() + "." + timer.Name() + " fires again while its handler waits");
    }
    ticking_.push_back(&timer);
    struct TickScope {
        std::vector<Timer*>& ticking;
        ~TickScope() { ticking.pop_back(); }
    } scope{ticking_};
    timer.Tick();
}

Timer* HeadlessUi::DueTimer() const {
    if (application_ == nullptr) return nullptr;
    for (const Form* form : application_->Forms()) {
        for (Timer* timer : form->Timers()) {
            if (timer->Enabled()) return timer;
        }
    }
    return nullptr;
}

}  // namespace instalator::platform
