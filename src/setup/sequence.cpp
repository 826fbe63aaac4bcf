#include "setup/sequence.hpp"

#include "common/text.hpp"
#include "core/main_form.hpp"
#include "core/script.hpp"
#include "install/progress.hpp"
#include "dialogs/copying.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/message_r.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "install/file_pass.hpp"
#include "platform/image.hpp"
#include "system/install_reg.hpp"
#include "system/shortcuts.hpp"

namespace instalator::setup {
namespace {

using core::Installer;
using core::InstallerState;
using core::TMain;
using core::Windows;
using install::Nearest;

// The extended-precision value nearest to one sixth.
constexpr long double kOneSixth = 1.0L / 6.0L;

// A window coordinate: the nearest integer, halves to even.
int Place(long double x) { return static_cast<int>(Nearest(x)); }

char FirstChar(const std::string& text) { return text.empty() ? '\0' : text.front(); }

// Asks the space question when the drive of letter has too little room for needed.
void CheckDrive(Installer& run, char letter, std::int32_t needed) {
    const std::string root = std::string(1, letter) + ":\\";
    const std::optional<std::int64_t> free = run.Machine.system.FreeDiskSpace(root);
    if (!SpaceIsShort(free, needed)) return;
    run.Report.Note(u8"Za mało wolnego miejsca na dysku ",
                    root + ": " + (free ? std::to_string(*free) : "?") + " / " +
                        std::to_string(std::int64_t{needed} + kSpaceMargin),
                    u8" bajtów (wolne / potrzebne)");
    if (run.Report.Silent()) {
        if (!run.Report.Options().force) run.EndWith(core::ExitCode::NoSpace);
        run.Report.Note(u8"Instalacja trwa dalej (/FORCE)");
        return;
    }
    const std::string question = common::Cp1250(
        u8"Na Twoim dysku jest niestety za mało wolnego miejsca. Kontunuuować  instalację programu ?");
    if (AskYesNo(run, question) == platform::kIdNo) run.EndWith(core::ExitCode::NoSpace);
}

// The status window; a silent run shows no window.
void ShowStatus(Installer& run, std::u8string_view text) {
    if (!run.Report.Silent()) run.Windows.MessageR->ShowStatus(common::Cp1250(text));
}

void HideStatus(Installer& run) {
    if (!run.Report.Silent()) run.Windows.MessageR->HideStatus();
}

void CheckSpace(Installer& run) {
    InstallerState& state = run.State;
    ShowStatus(run, u8"Instalator sprawdza teraz, ilość wolnego miejsca na Twoim dysku ...");
    state.PrgSpaceNeeded = core::ScriptPrgSpace(*state.ScriptIni);
    state.WinSpaceNeeded = core::ScriptWinSpace(*state.ScriptIni);
    state.TotalSpaceNeeded = static_cast<std::int32_t>(static_cast<std::uint32_t>(state.WinSpaceNeeded) +
                                                       static_cast<std::uint32_t>(state.PrgSpaceNeeded));
    CheckDiskSpace(run);
    HideStatus(run);
}

platform::Image LoadPicture(Installer& run, const std::string& entry) {
    return platform::LoadBmp(run.Machine.files, run.State.SetupPackage->ExtractToTemp(entry));
}

// Shows the picture and copy windows over the main window and loads the closing
// dialogs' picture.
void ShowCopyWindows(Installer& run) {
    const platform::Rect main = run.Windows.Main->Bounds();
    dialogs::TInformations& informations = *run.Windows.Informations;
    informations.SetBounds(PictureWindowPlace(main, informations.Width(), informations.Height()));
    informations.Dest.SetImage(LoadPicture(run, "Splash1.bmp"));
    informations.SetClientSize(informations.Dest.Width(), informations.Dest.Height());
    informations.Show();

    dialogs::TCopying& copying = *run.Windows.Copying;
    copying.SetBounds(CopyWindowPlace(main, copying.Width(), copying.Height()));
    copying.Show();
    run.App.ProcessMessages();

    platform::Image closing = LoadPicture(run, "setup2.bmp");
    run.Windows.Finish->Splash2.SetImage(closing);
    run.Windows.RestartME->Splash2.SetImage(std::move(closing));
}

void RegisterAndLink(Installer& run) {
    if (core::InstallRegCount(*run.State.ScriptIni) != 0) {
        ShowStatus(run, u8"Instalator uaktualnia elementy rejestru...");
        system::ProcessInstallReg(run);
        HideStatus(run);
    }
    if (run.State.ShortCutCount != 0) {
        ShowStatus(run, u8"Instalator instaluje ikony ...");
        system::InstallIcons(run);
        HideStatus(run);
    }
}

}  // namespace

platform::Rect PictureWindowPlace(const platform::Rect& main, int width, int height) {
    return {main.left + 8, Place(main.height * kOneSixth) + main.top, width, height};
}

platform::Rect CopyWindowPlace(const platform::Rect& main, int width, int height) {
    const int top = main.height - height - Place(main.height * 0.125L);
    const int left = Place(static_cast<long double>(main.width - width) * 0.5L);
    return {left, top, width, height};
}

int AskYesNo(Installer& run, const std::string& text) {
    return run.App.MessageBox(text, "Quill07", platform::kMbYesNo);
}

bool SpaceIsShort(std::optional<std::int64_t> freeBytes, std::int32_t needed) {
    return !freeBytes || *freeBytes < static_cast<std::int64_t>(needed) + kSpaceMargin;
}

void CheckDiskSpace(Installer& run) {
    const char system = common::UpperChar(FirstChar(run.Machine.system.SystemDirectory()));
    const char target = FirstChar(run.State.TargetDir);
    const InstallerState& state = run.State;
    // The target's letter is compared as typed: c:\ on the system drive C: takes
    // the two-check way, both checks then looking at the same drive.
    if (target == system) {
        CheckDrive(run, system, state.TotalSpaceNeeded);
    } else {
        CheckDrive(run, system, state.WinSpaceNeeded);
        CheckDrive(run, common::UpperChar(target), state.PrgSpaceNeeded);
    }
}

void Timer1Timer(Installer& run) {
    Windows& windows = run.Windows;
    const bool silent = run.Report.Silent();
    windows.Main->Timer1.SetEnabled(false);
    if (!silent) windows.MakeSure->ShowModal();
    windows.SelectDirectory->AskTarget();
    windows.Grupa->AskGroup();
    CheckSpace(run);
    if (!silent) ShowCopyWindows(run);
    install::InstallResources(run);
    windows.Copying->Close();
    windows.Informations->Close();
    RegisterAndLink(run);
    run.Report.SetOutcome(run.State.RestartNeeded ? core::ExitCode::RestartNeeded : core::ExitCode::Success);
    if (!silent) {
        if (run.State.RestartNeeded && !run.Report.Options().noRestart) windows.RestartME->ShowModal();
        windows.Finish->ShowModal();
    }
    run.EndInstaller();
}

}  // namespace instalator::setup
