#pragma once
// What an unattended or logged run adds to the installer: the switches of its
// command line, the exit code that says how it ended, and the log of its steps. A
// run with neither /S nor /LOG reports nothing and ends with exit code 0 whatever
// happened, as the installer always has.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/application.hpp"
#include "platform/file_system.hpp"

namespace instalator::core {

// How a reporting run ended.
enum class ExitCode : int {
    Success = 0,
    UserOrUsage = 1,       // the user gave up, or the command line is wrong
    PackageFault = 2,      // a package volume is missing or damaged
    NoSpace = 3,           // too little free space, and no /FORCE
    WriteFailure = 4,      // a file could not be written
    TargetNotCreated = 5,  // the target directory cannot be created
    Unexpected = 6,        // any other error (the default error box)
    RestartNeeded = 3010,  // installed; files in use are replaced at the next start
};

// What the code means, for the log's last line.
std::u8string_view ExitCodeMeaning(ExitCode code);

// The switches of the command line; all off for a plain run.
struct Switches {
    bool silent = false;     // /S: no window, every question answered as the defaults answer it
    bool force = false;      // /FORCE: go on when the free space looks short
    bool noRestart = false;  // /NORESTART: never restart Windows
    bool help = false;       // /?: show the switches and install nothing
    std::optional<std::string> targetDir;  // /D=
    std::optional<std::string> group;      // /G=
    std::optional<std::string> logPath;    // /LOG=
};

class RunReport {
public:
    explicit RunReport(platform::Application& app) : app_(app) {}
    RunReport(const RunReport&) = delete;
    RunReport& operator=(const RunReport&) = delete;

    // Takes the switches and the open log file (nullptr without /LOG). A reporting
    // run (/S or /LOG) starts as given up by the user, until a step sets another
    // outcome, and notes its outcome as its last line when the process ends. A
    // silent run answers every message box no step answered itself by noting it and
    // ending with Unexpected; an error escaping an event is noted and ends the run
    // with Unexpected.
    void Start(Switches switches, std::unique_ptr<platform::File> log);

    const Switches& Options() const { return switches_; }
    bool Silent() const { return switches_.silent; }
    bool Reporting() const { return switches_.silent || switches_.logPath.has_value(); }

    // Writes one line to the log, if there is one: label, detail (cp1250, a path or
    // a message) and tail, in UTF-8. A log that cannot be written does not stop the
    // installation.
    void Note(std::u8string_view label, std::string_view detail = {}, std::u8string_view tail = {});
    // The outcome so far: the exit code of a reporting run if it ends now.
    void SetOutcome(ExitCode code);
    ExitCode Outcome() const { return outcome_; }
    // Notes the outcome line; for a run that ends by returning from its message loop.
    void NoteOutcome();

private:
    platform::Application& app_;
    Switches switches_;
    std::unique_ptr<platform::File> log_;
    ExitCode outcome_ = ExitCode::Success;
    std::optional<platform::EndAction> noteAtEnd_;
};

}  // namespace instalator::core
