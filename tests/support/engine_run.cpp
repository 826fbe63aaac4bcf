#include "support/engine_run.hpp"

#include "common/text.hpp"
#include "core/script.hpp"
#include "platform/file_system.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::testing {

platform::RunOutcome RunEngine(InstallerMachine& m, const std::function<void(core::Installer&)>& body,
                               const std::string& target) {
    return RunWithWindows(m, [&](core::Installer& run) {
        platform::MakePath(run.Machine.files, target);
        // What the directory and group dialogs would leave in the run.
        run.State.TargetDir = target;
        run.State.Group = core::ScriptGroup(*run.State.ScriptIni);
        body(run);
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
