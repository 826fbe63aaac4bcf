#include "install/file_pass.hpp"

#include <array>
#include <limits>

#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/main_form.hpp"
#include "install/progress.hpp"
#include "core/script.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/select_dir.hpp"
#include "install/install_file.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"
#include "platform/image.hpp"
#include "platform/ui.hpp"

namespace instalator::install {
namespace {

std::string WithBackslash(std::string path) {
    if (common::RightText(path, 1) != "\\") path += '\\';
    return path;
}

// Opens volume b, asking for the next diskette while it is missing. A silent run
// has no one to insert it and ends.
void OpenVolume(core::Installer& run, package::TResourceClass& volume, std::int32_t b) {
    const profile::TIniFile& script = *run.State.ScriptIni;
    for (;;) {
        // The volume's name is read again for every attempt: the script may change
        // while the prompt is up.
        const std::string path = run.State.SourceDir + core::VolumeName(script, b);
        if (volume.OpenPackage(path)) return;
        if (run.Report.Silent()) run.EndWith(core::ExitCode::PackageFault, u8"Brak pakietu instalacyjnego ", path);
        const int answer = run.App.MessageBox(common::Cp1250(u8"Proszę włożyć kolejną dyskietkę..."),
                                              "Kolejna dyskietka", platform::kMbOkCancel);
        if (answer == platform::kIdOk || !dialogs::ConfirmAbort(run)) continue;
        run.EndWithMessage(core::ExitCode::PackageFault, common::Cp1250(u8"Brak plików w pakiecie instalacyjnym !"));
    }
}

// Puts the picture entry name of the start-up package into the picture window and
// shows it at the main window's upper left; a silent run shows no window.
void ShowPicture(core::Installer& run, const std::string& name) {
    if (run.Report.Silent()) return;
    const core::TMain& main = *run.Windows.Main;
    dialogs::TInformations& window = *run.Windows.Informations;
    const std::string path = run.State.SetupPackage->ExtractToTemp(name);
    window.Dest.SetImage(platform::LoadBmp(run.Machine.files, path));
    const std::int64_t below = install::Nearest(main.Height() * (1.0L / 6));
    window.SetBounds(
        {main.Left() + 8, main.Top() + static_cast<int>(below), window.Dest.Width(), window.Dest.Height()});
    window.Show();
    run.App.ProcessMessages();
}

void RecordShortCut(core::Installer& run, const core::ScriptItem& item, const std::string& destPath) {
    core::InstallerState& state = run.State;
    if (state.ShortCutCount >= core::kMaxShortCuts) return;
    core::ShortCutEntry& entry = state.ShortCutList[state.ShortCutCount++];
    entry.Group = state.Group;
    entry.LinkName = item.Link;
    entry.Target = item.File.empty() ? destPath : item.File;
    // A viewer gets the installed file as one argument, whatever blanks its path holds.
    entry.Arguments = item.File.empty() ? item.Parameter : common::CommandWord(destPath);
}

// Whether the file at destPath (exists: whether there is one) is to be (re)written by
// the packed copy.
bool ShouldInstall(core::Installer& run, const profile::TIniFile& script, std::int32_t b, const std::string& destPath,
                   bool exists, const package::FileVersion& packed) {
    if (!exists) return true;
    if (!core::VolumeRewrite(script, b)) return false;
    const package::FileVersion existing = package::ReadFileVersion(run.Machine.files, destPath);
    return existing == package::FileVersion{} || packed > existing;
}

void AddBytesDone(core::InstallerState& state, std::int32_t size) {
    const std::int64_t sum = std::int64_t{state.BytesDone} + size;
    state.BytesDone = static_cast<std::int32_t>(std::min<std::int64_t>(sum, std::numeric_limits<std::int32_t>::max()));
}

// script is the reading of the script for volume b, volume the directory read when the
// pass came to it; source is where the files are read from (see InstallFile).
void InstallItem(core::Installer& run, const profile::TIniFile& script, package::TResourceClass& volume,
                 package::TResourceClass& source, system::UninstallLog& log, std::int32_t b, const std::string& section,
                 std::int32_t d) {
    const std::string picture = core::SplashPicture(script, b, d);
    if (!picture.empty()) ShowPicture(run, picture);
    const core::ScriptItem item = core::ReadScriptItem(script, section, d);
    const std::string directory = DestinationDirectory(run, item.Dest);
    platform::MakePath(run.Machine.files, directory);
    const std::string destPath = directory + item.Name;
    if (item.Shell == 1) RecordShortCut(run, item, destPath);

    const package::TResourceEntry entry = volume.FindEntry(common::FileNamePart(destPath));
    const bool exists = run.Machine.files.FileExists(destPath);
    if (ShouldInstall(run, script, b, destPath, exists, entry.FileVersion)) {
        InstallFile(run, source, core::VolumeName(script, b), destPath, item.Reg == 1, exists, log);
    } else {
        run.Report.Note(u8"Pozostawiono istniejący plik ", destPath);
    }
    AddBytesDone(run.State, entry.UnpackedSize);
}

}  // namespace

std::string DestinationDirectory(core::Installer& run, std::string_view dest) {
    const std::string keyword = common::UpperCase(dest);
    const std::string& target = run.State.TargetDir;
    if (keyword == "$SYSTEM") return WithBackslash(run.Machine.system.SystemDirectory());
    if (keyword == "$WIN") return WithBackslash(run.Machine.system.WindowsDirectory());
    if (keyword.empty() || keyword == "$PROGRAM") return WithBackslash(target);
    return WithBackslash(WithBackslash(target) + keyword);
}

void InstallResources(core::Installer& run) {
    const profile::TIniFile& script = *run.State.ScriptIni;
    package::TResourceClass volume(run.Machine.files, run.TempDir);
    // Kept open from file to file of one volume; let go before the next diskette.
    package::TResourceClass source(run.Machine.files, run.TempDir);
    // Nothing else writes the uninstall log during the pass: its text is kept.
    system::UninstallLog log(run);
    const std::int32_t count = core::VolumeCount(script);
    for (std::int32_t b = 1; b <= count; ++b) {
        OpenVolume(run, volume, b);
        const std::string section = core::VolumeName(script, b);
        const std::int32_t files = core::VolumeFileCount(script, section);
        // The script is the installer's own copy in the temporary directory, which
        // nothing writes during the pass: the keys of a volume's items come from one
        // reading.
        const profile::TIniFile items(run.Machine.files, script.FileName(), profile::TIniFile::Access::Exclusive);
        for (std::int32_t d = 1; d <= files; ++d) InstallItem(run, items, volume, source, log, b, section, d);
        source.Release();
        ShowProgressNow(run);
    }
}

}  // namespace instalator::install
