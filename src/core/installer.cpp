#include "core/installer.hpp"

#include "core/main_form.hpp"
#include "dialogs/copying.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/message_r.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "package/temp_dir.hpp"

namespace instalator::core {
namespace {

std::string TempDirOf(platform::Platform& machine) {
    return package::TempDirFromEnvironment(
        [&machine](std::string_view name) { return machine.system.EnvironmentVariable(name); },
        machine.files.Separator());
}

template <typename Window>
void Create(Installer& run, std::unique_ptr<Window>& slot) {
    slot = std::make_unique<Window>(run);
    run.App.CreateForm(*slot);
}

}  // namespace

Windows::Windows() = default;
Windows::~Windows() = default;

Installer::Installer(platform::Platform& machine) : Machine(machine), App(machine.ui), TempDir(TempDirOf(machine)) {}

void Installer::CreateWindows() {
    Create(*this, Windows.Main);
    Create(*this, Windows.MakeSure);
    Create(*this, Windows.SelectDirectory);
    Create(*this, Windows.Informations);
    Create(*this, Windows.Copying);
    Create(*this, Windows.MessageR);
    Create(*this, Windows.RestartME);
    Create(*this, Windows.Finish);
    Create(*this, Windows.Grupa);
}

int RunInstaller(platform::Platform& machine) {
    Installer run(machine);
    run.App.SetTitle(std::string(kApplicationTitle));
    run.CreateWindows();
    run.App.Run();
    return 0;
}

}  // namespace instalator::core
