#include "setup/run_installer.hpp"

#include <memory>
#include <string>

#include "common/errors.hpp"
#include "common/text.hpp"

#include "core/main_form.hpp"
#include "dialogs/copying.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/message_r.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/command_line.hpp"
#include "setup/sequence.hpp"

namespace instalator::core {

// The windows' classes are complete only here.
Windows::Windows() = default;
Windows::~Windows() = default;

}  // namespace instalator::core

namespace instalator::setup {
namespace {

// The log named by /LOG, created afresh; nullptr without /LOG. error receives why it
// cannot be created.
std::unique_ptr<platform::File> OpenLog(core::Installer& run, const core::Switches& switches, std::string& error) {
    if (!switches.logPath) return nullptr;
    try {
        return run.Machine.files.Open(*switches.logPath, platform::OpenMode::Create);
    } catch (const common::IoError&) {
        if (error.empty()) error = common::Cp1250(u8"Nie można utworzyć dziennika ") + *switches.logPath;
        return nullptr;
    }
}

// Reads the command line. A line that cannot be used is reported (a box, or with /S
// only the log) and ends the run before anything is installed; /? shows the switches
// and ends it too.
void StartReport(core::Installer& run) {
    const std::string arguments = run.Machine.system.Arguments();
    CommandLine line = ParseCommandLine(arguments);
    std::unique_ptr<platform::File> log = OpenLog(run, line.switches, line.error);
    const bool help = line.switches.help;
    run.Report.Start(std::move(line.switches), std::move(log));
    run.Report.Note(u8"Instalator: ", run.Machine.system.ExecutablePath() + " " + arguments);
    if (!line.error.empty()) {
        // Refused with or without /S and /LOG: the exit code is set either way.
        run.Report.SetOutcome(core::ExitCode::UserOrUsage);
        run.App.SetExitCode(static_cast<int>(core::ExitCode::UserOrUsage));
        run.Report.Note({}, line.error);
        if (!run.Report.Silent()) {
            run.App.MessageBox(line.error + "\n\n" + UsageText(), run.App.Title(), platform::kMbOk | platform::kMbIconStop);
        }
        run.EndInstaller();
    }
    if (help) {
        run.Report.SetOutcome(core::ExitCode::Success);
        run.App.GetUi().MessageBox(UsageText(), run.App.Title(), platform::kMbOk);  // shown even with /S
        run.EndInstaller();
    }
}

template <typename Window>
void Create(core::Installer& run, std::unique_ptr<Window>& slot) {
    slot = std::make_unique<Window>(run);
    run.App.CreateForm(*slot);
}

}  // namespace

void CreateWindows(core::Installer& run) {
    run.Sequence = [](core::Installer& r) { Timer1Timer(r); };
    core::Windows& windows = run.Windows;
    Create(run, windows.Main);
    Create(run, windows.MakeSure);
    Create(run, windows.SelectDirectory);
    Create(run, windows.Informations);
    Create(run, windows.Copying);
    Create(run, windows.MessageR);
    Create(run, windows.RestartME);
    Create(run, windows.Finish);
    Create(run, windows.Grupa);
}

int RunInstaller(platform::Platform& machine) {
    core::Installer run(machine);
    run.App.SetTitle(std::string(core::kApplicationTitle));
    StartReport(run);
    CreateWindows(run);
    run.App.Run(run.Report.Silent());
    run.Report.NoteOutcome();
    return run.App.ExitCode();
}

}  // namespace instalator::setup
