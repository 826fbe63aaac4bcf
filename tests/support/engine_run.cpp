#include "support/engine_run.hpp"

#include "common/strings.hpp"
#include "core/main_form.hpp"
#include "common/text.hpp"
#include "core/script.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/run_installer.hpp"

namespace instalator::testing {

platform::RunOutcome RunEngine(InstallerMachine& m, const std::function<void(core::Installer&)>& body,
                               const std::string& target) {
    return m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        run.App.SetTitle(std::string(core::kApplicationTitle));
        setup::CreateWindows(run);
        // As the sequence does first: the main window's timer must not start it while
        // a dialog of the test waits.
        run.Windows.Main->Timer1.SetEnabled(false);
        platform::MakePath(platform.files, target);
        // What the directory and group dialogs would leave in the run.
        run.State.TargetDir = target;
        run.State.Group = core::ScriptGroup(*run.State.ScriptIni);
        body(run);
        return 0;
    });
}

std::vector<std::string> Boxes(const platform::HeadlessUi& ui) {
    std::vector<std::string> boxes;
    for (const platform::Event* event : ui.EventsOf(platform::Event::Kind::MessageBox)) {
        boxes.push_back(common::Utf8FromCp1250(event->caption) + "|" + common::Utf8FromCp1250(event->text));
    }
    return boxes;
}

}  // namespace instalator::testing
