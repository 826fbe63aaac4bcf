#include "install/install_file.hpp"

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/main_form.hpp"
#include "core/progress.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/copying.hpp"
#include "package/resource.hpp"
#include "platform/ui.hpp"
#include "system/install_reg_append.hpp"
#include "system/rename_queue.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::install {
namespace {

bool IsLibrary(const std::string& path) {
    const std::string name = common::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && common::LowerCase(name.substr(dot)) == ".dll";
}

// Whether the unpacking will find the entry; looked at before an existing
// destination is given up, so that a script item missing from its volume leaves the
// installed file alone. Like the unpacking, it does not care whether the volume's
// directory was read to its end: entries read before a damaged part still count.
bool VolumeHolds(core::Installer& run, const std::string& volumeName, const std::string& label) {
    package::TResourceClass volume(run.Machine.files, run.TempDir);
    volume.OpenPackage(run.State.SourceDir + volumeName);
    return !volume.FindEntry(label).EntryName.empty();
}

// Frees destPath for the new copy and returns the path to write it to.
std::string FreeDestination(core::Installer& run, const std::string& destPath) {
    if (DeleteIfExists(run.Machine.files, destPath)) return destPath;
    const std::string diverted = DivertedName(run.Machine.files, destPath);
    system::QueueRename(run, destPath, diverted);
    return diverted;
}

void MakeDirectoryOf(core::Installer& run, const std::string& path) {
    std::string directory = common::DirectoryPart(path);
    if (common::RightText(directory, 1) != "\\") directory += '\\';
    common::MakePath(run.Machine.files, directory);
}

// One unpacking attempt with a fresh volume object; true when every write succeeded.
bool Unpack(core::Installer& run, const std::string& volumeName, const std::string& label, const std::string& path) {
    core::TMain& main = *run.Windows.Main;
    main.IOFailed = false;
    package::TResourceClass volume(run.Machine.files, run.TempDir);
    volume.SetProgress([&run](std::int32_t written) { core::UpdateProgress(run, written); });
    volume.OpenPackage(run.State.SourceDir + volumeName);
    main.FileTotal = volume.FindEntry(label).UnpackedSize;
    main.IOFailed = volume.ExtractTo(label, path).writeFailed;
    return !main.IOFailed;
}

// The write-error box; true when another attempt is to be made.
bool AskRetry(core::Installer& run, const std::string& label) {
    const std::string text = common::Cp1250(u8"Błąd podczas kopiowania pliku ") + '"' + label + "\" ?";
    const int answer = run.App.MessageBox(text, common::Cp1250(u8"Błąd I/O"), platform::kMbAbortRetryIgnore);
    if (answer == platform::kIdRetry) return true;
    if (answer != platform::kIdAbort) return false;  // Ignore: the file stays as far as it was written
    if (dialogs::ConfirmAbort(run)) run.EndInstaller();
    return true;
}

}  // namespace

bool DeleteIfExists(platform::FileSystem& files, const std::string& path) {
    if (!files.FileExists(path)) return true;
    try {
        files.RemoveFile(path);
        return true;
    } catch (const common::IoError&) {
        return false;
    }
}

std::string DivertedName(platform::FileSystem& files, const std::string& destPath) {
    const std::string name = common::FileNamePart(destPath);
    const std::string stem = destPath.substr(0, destPath.size() - name.size()) + common::StripExtension(name);
    std::string candidate = stem + ".q07";
    for (std::int32_t n = 2; files.FileExists(candidate); ++n) {
        candidate = stem + "~" + common::IntToText(n) + ".q07";
    }
    return candidate;
}

void InstallFile(core::Installer& run, const std::string& volumeName, const std::string& destPath, bool reg) {
    const std::string label = common::FileNamePart(destPath);
    system::LogInstalledFile(run, destPath, reg);
    run.Windows.Main->FileDone = 0;

    const std::string path = VolumeHolds(run, volumeName, label) ? FreeDestination(run, destPath) : destPath;
    if (reg || IsLibrary(path)) system::AppendInstallReg(run, path);
    MakeDirectoryOf(run, path);
    run.Windows.Copying->NowCoping.SetText(label);

    while (!Unpack(run, volumeName, label, path) && AskRetry(run, label)) {
    }
}

}  // namespace instalator::install
