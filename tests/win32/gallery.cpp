// gallery.exe FORM [modal]: creates the installer's windows as Setup.exe does (the
// package must lie beside it), puts the package's pictures into the picture
// controls, shows the main window and then the form named FORM ("TMakeSure"), so
// that the Wine tests can look at a dialog that the installation shows only later.
// The main window's timer is stopped: nothing of the installation runs. With
// "modal" the form is shown modally and the exit code is its modal result;
// otherwise the messages run until the main window is closed (exit code 0).

#include "platform/win32/win32_api.hpp"

#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "core/installer.hpp"
#include "core/main_form.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/restart_me.hpp"
#include "platform/file_system.hpp"
#include "platform/image.hpp"
#include "platform/win32/wide.hpp"
#include "platform/win32/win32_registry.hpp"
#include "platform/win32/win32_shell.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_ui.hpp"
#include "setup/run_installer.hpp"

namespace {

using namespace instalator;

platform::Image PackagePicture(core::Installer& run, const std::string& name) {
    return platform::LoadBmp(run.Machine.files, run.State.SetupPackage->ExtractToTemp(name));
}

void LoadPictures(core::Installer& run) {
    run.Windows.Informations->Dest.SetImage(PackagePicture(run, "Splash1.bmp"));
    run.Windows.RestartME->Splash2.SetImage(PackagePicture(run, "setup2.bmp"));
    run.Windows.Finish->Splash2.SetImage(PackagePicture(run, "setup2.bmp"));
}

int Show(platform::Platform& machine, const std::string& name, bool modal) {
    core::Installer run(machine);
    run.App.SetTitle(std::string(core::kApplicationTitle));
    setup::CreateWindows(run);
    run.Windows.Main->Timer1.SetEnabled(false);
    LoadPictures(run);
    run.App.MainForm()->Show();
    for (platform::Form* form : run.App.Forms()) {
        if (form->Name() != name) continue;
        if (modal) return form->ShowModal();
        form->Show();
        machine.ui.RunMessageLoop();
        return 0;
    }
    return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) return 2;
    const std::string name = platform::win32::Narrow(arguments[1]);
    const bool modal = count > 2 && std::wstring(arguments[2]) == L"modal";
    ::LocalFree(arguments);
    ::CoInitialize(nullptr);
    platform::win32::Win32Ui ui(instance);
    platform::win32::Win32System system;
    platform::win32::Win32Registry registry;
    platform::win32::Win32Shell shell(ui);
    platform::Platform machine{platform::HostFileSystem(), registry, system, ui, shell};
    return Show(machine, name, modal);
}
