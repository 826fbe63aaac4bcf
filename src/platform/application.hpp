#pragma once
// The process-wide application object of the form toolkit, the default error box's
// text, and the actions that undo unfinished work when the installer ends.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/form.hpp"

namespace instalator::platform {

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

    // Shows the main form (unless hidden is set: then no window appears) and handles
    // messages until the loop is asked to end.
    void Run(bool hidden = false);
    // Asks the message loop to end. Every nested loop (a modal form, a message box,
    // ProcessMessages) ends too, and the process then ends at once with exit code 0:
    // nothing that was waiting for the loop runs any more.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Lets the pending window messages run; ends the process if one of them asked the
    // message loop to end.
    void ProcessMessages();
    // Ends the message loop and the process at once with the exit code set (0 unless
    // SetExitCode changed it), after running the end actions that are registered
    // (newest first).
    [[noreturn]] void EndInstaller();
    int ExitCode() const { return exitCode_; }
    void SetExitCode(int code) { exitCode_ = code; }

    // Runs handler as the event where ("TMain.FormCreate"). An error (std::exception)
    // escaping it goes to the error listener, if one is set, and is shown in the
    // default error box (ErrorBoxText, caption the title, OK, stop icon), after which
    // the installer ends.
    void Dispatch(std::string_view where, const std::function<void()>& handler);
    void SetErrorListener(std::function<void(const std::string& message)> listener) {
        errorListener_ = std::move(listener);
    }
    // The event being dispatched (the innermost one); empty outside events.
    std::string CurrentEvent() const;

    // A message box with the given caption; answered by the box answerer instead
    // when one is set.
    int MessageBox(const std::string& text, const std::string& caption, unsigned style);
    // What answers every message box in place of the user, for a run that shows no
    // window; it may end the process. An empty one lets the user answer again.
    using BoxAnswerer = std::function<int(const std::string& text, const std::string& caption, unsigned style)>;
    void SetBoxAnswerer(BoxAnswerer answerer) { boxAnswerer_ = std::move(answerer); }
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
    int exitCode_ = 0;
    BoxAnswerer boxAnswerer_;
    std::function<void(const std::string&)> errorListener_;
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
