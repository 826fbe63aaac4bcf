#pragma once
// The user interface of the headless machine. Nothing is drawn on a screen: every
// interaction (a modal window waiting, a message box, the folder browser, a click on
// a modeless window when messages are let run) is answered by the next step of the
// test's script, and everything shown is recorded for the test to inspect. When the
// script does not foresee an interaction the run stops with ScriptFailure, which no
// handler can catch (it does not derive from std::exception); the machine's runner
// turns it into a test failure. Nothing ever waits, so no test can hang. Timers tick
// in the main message loop when no script step can be carried out, and once before
// each step a modal window waits for. As on Windows, a close request reaches any
// window, and asking the message loop to end also ends the loop of a modal window.

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.hpp"
#include "platform/pixel_canvas.hpp"
#include "platform/ui.hpp"

namespace instalator::platform {

// What the user does next.
struct Step {
    enum class Kind {
        Click,         // press a button, or toggle a check box
        Type,          // replace the text of an edit or combo box
        Key,           // type one character into an edit field
        Enter,         // press Enter on the control that has the focus
        Close,         // a close request to a window (title bar, Alt+F4, taskbar, another program)
        Browse,        // press the browse button of a directory edit
        Answer,        // answer a message box with a button
        ChooseFolder,  // accept a folder in the folder browser
        CancelFolder,  // cancel the folder browser
    };
    Kind kind = Kind::Click;
    std::string form{};
    std::string control{};
    std::string text{};
    int answer = 0;
    char key = 0;
    // When not empty, the step waits until this form is visible (a close request sent
    // while a given dialog is up).
    std::string during{};
    // Run right after a message box was answered with this step (the user changes
    // the machine before clicking, e.g. puts the next diskette in).
    std::function<void()> then{};

    static Step Click(std::string form, std::string control);
    static Step Type(std::string form, std::string control, std::string text);
    static Step Key(std::string form, std::string control, char key);
    static Step Enter(std::string form);
    static Step Close(std::string form);
    static Step Browse(std::string form, std::string control);
    static Step Answer(int button);
    static Step Answer(int button, std::function<void()> then);
    static Step ChooseFolder(std::string path);
    static Step CancelFolder();
    // The same step, carried out only once the form named during is visible.
    Step During(std::string form) const;

    // "Click TMakeSure.SpeedButton1", in UTF-8 for test output.
    std::string Describe() const;
    // True for the steps that act on a window (not on a box or the browser).
    bool ActsOnWindow() const;
};

// The run stopped at an interaction the script did not foresee.
struct ScriptFailure {
    std::string message;  // UTF-8
};

// The installer ended through EndInstaller; where is the event that was running.
struct InstallerEnded {
    std::string where;
    int exitCode = 0;
};

struct ControlSnapshot {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string text;
    Rect bounds;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    int position = 0;
    std::vector<std::string> items{};
};

struct FormSnapshot {
    std::string name;
    std::string caption;
    Rect bounds;  // outer frame on the screen
    Size client;
    bool stayOnTop = false;
    std::vector<ControlSnapshot> controls{};  // every control, depth first in declaration order

    // The control of that name; throws std::out_of_range when there is none.
    const ControlSnapshot& Control(std::string_view controlName) const;
};

// One thing that happened on the screen, in order.
struct Event {
    enum class Kind {
        Shown,          // a form was shown without waiting (form: its state then)
        ShownModal,     // a form was shown modally
        Hidden,         // a form was hidden (form.name only)
        MessageBox,     // text, caption, style, answer
        FolderBrowser,  // text: the start folder; caption: the chosen folder, empty when cancelled
        Action,         // a script step was carried out (text: its description)
    };
    Kind kind = Kind::Action;
    FormSnapshot form{};
    std::string text{};
    std::string caption{};
    unsigned style = 0;
    int answer = 0;
};

class HeadlessUi final : public Ui {
public:
    // Steps in a row of a timer that keeps firing before the run is stopped.
    static constexpr int kMaxTimerTicks = 10000;
    // Width and height of the frame of a dialog, and of a sizeable window.
    static constexpr Size kDialogFrame{6, 25};
    static constexpr Size kSizeableFrame{8, 27};

    HeadlessUi() = default;

    void SetScreenSize(Size size) { screen_ = size; }
    void AddStep(Step step) { script_.push_back(std::move(step)); }
    void AddSteps(std::initializer_list<Step> steps);
    // The steps not used yet.
    const std::deque<Step>& PendingSteps() const { return script_; }

    const std::vector<Event>& Events() const { return events_; }
    std::vector<const Event*> EventsOf(Event::Kind kind) const;
    const std::string& ApplicationTitle() const { return title_; }
    // The last picture painted of a form's client area; nullptr when it was never
    // painted (only forms with paint layers are painted).
    const PixelCanvas* LastFrame(std::string_view formName) const;
    // The control that has the focus on a shown form; nullptr when none.
    Control* Focus(const Form& form) const;

    void SetApplicationTitle(const std::string& title) override { title_ = title; }
    void Realise(Form& form) override;
    void ShowForm(Form& form) override;
    void HideForm(Form& form) override;
    void RunModal(Form& form) override;
    void ProcessMessages() override;
    // Nothing waits here, so the clock moves on by its step at every reading: 1000 ms
    // unless a test sets another (0 stops it), so that whatever is paced happens at
    // every occasion. AdvanceClock moves it on by hand.
    std::uint32_t Milliseconds() override { return clock_ += clockStep_; }
    void SetClockStep(std::uint32_t milliseconds) { clockStep_ = milliseconds; }
    void AdvanceClock(std::uint32_t milliseconds) { clock_ += milliseconds; }
    void RunMessageLoop() override;
    void QuitMessageLoop() override { quit_ = true; }
    // A new process starts on the machine: its message loop has not been asked to end.
    void StartProcess() { quit_ = false; }
    [[noreturn]] void EndProcess(const std::string& where, int exitCode) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    std::optional<std::string> BrowseForFolder(const std::string& startFolder) override;
    Size ScreenSize() override { return screen_; }
    Size NonClientSize(const Form& form) override;
    Size MeasureText(const Font& font, const std::string& text) override;
    void Repaint(Form& form) override;

private:
    [[noreturn]] void Fail(const std::string& message) const;
    Form* FindForm(std::string_view name) const;
    bool TakesInput(const Form& form) const;
    bool NextStepActsOn(const Form* form) const;
    Step TakeStep();
    void Perform(const Step& step);
    Control& TargetControl(const Step& step, Form& form) const;
    void PerformOnControl(const Step& step, Form& form, Control& control);
    Timer* DueTimer() const;
    void TickDueTimers();
    void Fire(Timer& timer);

    Size screen_{800, 600};
    std::string title_;
    std::deque<Step> script_;
    std::vector<Event> events_;
    Application* application_ = nullptr;
    std::vector<Form*> modal_;
    std::vector<Timer*> ticking_;  // timers whose handlers are running
    std::map<const Form*, Control*> focus_;
    std::map<std::string, std::unique_ptr<PixelCanvas>, std::less<>> frames_;
    PixelCanvas* painting_ = nullptr;
    bool quit_ = false;
    std::uint32_t clock_ = 0;
    std::uint32_t clockStep_ = 1000;
};

}  // namespace instalator::platform
