#include "setup/run_installer.hpp"

#include <memory>
#include <string>

#include "core/main_form.hpp"
#include "dialogs/copying.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/message_r.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/sequence.hpp"

namespace instalator::core {

// The windows' classes are complete only here.
Windows::Windows() = default;
Windows::~Windows() = default;

}  // namespace instalator::core

namespace instalator::setup {
namespace {

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
    CreateWindows(run);
    run.App.Run();
    return 0;
}

}  // namespace instalator::setup
