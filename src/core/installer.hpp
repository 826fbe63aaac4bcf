#pragma once
// One run of the installer: the machine it runs on, the toolkit application, the
// installer-wide state and the nine windows, all living from the start of the
// process to its end. The windows are created, and the installation sequence hooked
// to the main window's timer, by the layer that knows them all (setup/).

#include <array>
#include <functional>
#include <map>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/run_report.hpp"
#include "profile/ini_file.hpp"
#include "package/catalogue.hpp"
#include "package/resource.hpp"
#include "platform/forms.hpp"
#include "platform/platform.hpp"

namespace instalator::dialogs {
class TMakeSure;
class TSelectDirectory;
class TInformations;
class TCopying;
class TMessageR;
class TRestartME;
class TFinish;
class TGrupa;
}  // namespace instalator::dialogs

namespace instalator::core {

class TMain;

// The caption of the plain message boxes and the name on the taskbar.
inline constexpr std::string_view kApplicationTitle = "Kalamarz s.c. Instalator";

// One shortcut collected by the file pass.
struct ShortCutEntry {
    std::string Group;
    std::string LinkName;
    std::string Target;
    std::string Arguments;
};

// The most shortcuts a script may ask for.
inline constexpr std::size_t kMaxShortCuts = 30;

// The installer-wide state, empty when a run starts and never saved.
struct InstallerState {
    // The package Setup1.res beside the installer, opened by TMain's FormCreate.
    std::unique_ptr<package::TResourceClass> SetupPackage;
    // TempDir + "Setup.lst", empty when the package holds no script.
    std::string ScriptFileName;
    // The installation script, open for the whole run.
    std::unique_ptr<profile::TIniFile> ScriptIni;
    // Directory of the installer executable, ending in "\".
    std::string SourceDir;
    // The product title, [Application] Title of the script, read at start-up.
    std::string Title;
    // The target directory as the directory dialog closed with it (ending in "\"
    // once the user confirmed it); every destination and the log are under it.
    std::string TargetDir;
    // The program group of the shortcuts: the script's Group once the group dialog
    // has closed (the user's choice, or the script's own when the choice is empty).
    std::string Group;
    std::int32_t PrgSpaceNeeded = 0;
    std::int32_t WinSpaceNeeded = 0;
    std::int32_t TotalSpaceNeeded = 0;
    std::int32_t BytesDone = 0;
    bool RestartNeeded = false;
    std::uint8_t ShortCutCount = 0;
    // Shortcut number n of the script (1 to 30) is ShortCutList[n - 1].
    std::array<ShortCutEntry, kMaxShortCuts> ShortCutList{};
};

// The windows of the run, in the order they are created. Made and destroyed where
// every window's class is known (setup/).
struct Windows {
    std::unique_ptr<TMain> Main;
    std::unique_ptr<dialogs::TMakeSure> MakeSure;
    std::unique_ptr<dialogs::TSelectDirectory> SelectDirectory;
    std::unique_ptr<dialogs::TInformations> Informations;
    std::unique_ptr<dialogs::TCopying> Copying;
    std::unique_ptr<dialogs::TMessageR> MessageR;
    std::unique_ptr<dialogs::TRestartME> RestartME;
    std::unique_ptr<dialogs::TFinish> Finish;
    std::unique_ptr<dialogs::TGrupa> Grupa;

    Windows();
    ~Windows();
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;
};

// The per-user Start-menu Programs folder as the shell publishes it; empty when the
// value is missing.
std::string ProgramsFolder(platform::Registry& registry);

class Installer {
public:
    // Works out TempDir from the machine's environment.
    explicit Installer(platform::Platform& machine);
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    platform::Platform& Machine;
    platform::Application App;
    // Where package entries are unpacked; ends with "\".
    const std::string TempDir;
    InstallerState State;
    // The integrity catalogues of the package volumes read so far, by volume path and
    // the catalogue entry's place.
    std::map<std::string, package::Catalogue> Catalogues;
    // What the first tick of the main window's timer runs: the whole installation,
    // which ends the installer and never returns.
    std::function<void(Installer&)> Sequence;
    // The command line's switches, the exit code and the log of a reporting run.
    RunReport Report;
    // Declared last: the windows go before the application they belong to.
    core::Windows Windows;

    // Ends the message loop and the process at once with exit code 0. Nothing after
    // it runs; nothing done so far is undone.
    [[noreturn]] void EndInstaller() { App.EndInstaller(); }
    // Ends the run with code as its outcome, noting label and detail (cp1250) in the
    // log first when there is a label.
    [[noreturn]] void EndWith(ExitCode code, std::u8string_view label = {}, std::string_view detail = {});
    // Tells the user text in the plain message box (a silent run only notes it) and
    // ends the run with code as its outcome.
    [[noreturn]] void EndWithMessage(ExitCode code, const std::string& text);
};

}  // namespace instalator::core
