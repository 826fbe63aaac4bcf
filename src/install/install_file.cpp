#include "install/install_file.hpp"

#include <optional>

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/main_form.hpp"
#include "install/progress.hpp"
#include "dialogs/confirm_abort.hpp"
#include "package/catalogue.hpp"
#include "package/resource.hpp"
#include "platform/file_system.hpp"
#include "platform/ui.hpp"
#include "system/install_reg.hpp"
#include "system/rename_queue.hpp"
#include "system/uninstall_log.hpp"

namespace instalator::install {
namespace {

bool IsLibrary(const std::string& path) {
    const std::string name = common::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && common::LowerCase(name.substr(dot)) == ".dll";
}

void MakeDirectoryOf(core::Installer& run, const std::string& path) {
    std::string directory = common::DirectoryPart(path);
    if (common::RightText(directory, 1) != "\\") directory += '\\';
    platform::MakePath(run.Machine.files, directory);
}

// Removes the copy at path; an empty path names a copy never made.
void RemoveIfThere(platform::FileSystem& files, const std::string& path) {
    if (path.empty()) return;
    try {
        if (files.FileExists(path)) files.RemoveFile(path);
    } catch (const common::IoError&) {
        // A copy that cannot be removed stays under its temporary name, never queued.
    }
}

// The new copy is complete under its temporary name: it takes the destination's
// place, or, when the old file cannot be deleted (in use, read-only), stays there
// and is queued to replace it at the next start. Returns where the file now is.
std::string PutInPlace(core::Installer& run, const std::string& copy, const std::string& destPath) {
    platform::FileSystem& files = run.Machine.files;
    // Renaming over the destination replaces it where deleting it would succeed, in one
    // step and without first looking whether there is one; where the rename fails, the
    // old file is deleted first, or the copy queued when it cannot be.
    try {
        files.RenameFile(copy, destPath);
        return destPath;
    } catch (const common::IoError&) {
        // In use or read-only, or the rename itself failed: decided below.
    }
    if (!DeleteIfExists(files, destPath)) {
        system::QueueRename(run, destPath, copy);
        return copy;
    }
    files.RenameFile(copy, destPath);
    return destPath;
}

// The package is damaged: the user is told which file of which volume, and the run
// ends with the destination as it was.
[[noreturn]] void EndOnDamage(core::Installer& run, const std::string& volumeName, const std::string& label) {
    run.EndWithMessage(core::ExitCode::PackageFault,
                       common::Cp1250(u8"Pakiet instalacyjny \"") + volumeName +
                           common::Cp1250(u8"\" jest uszkodzony: nie można poprawnie rozpakować pliku \"") + label +
                           common::Cp1250(u8"\". Instalacja zostanie przerwana."));
}

struct Attempt {
    bool failed = false;              // a read or write failed: the user may retry
    std::optional<std::string> path;  // where the file was put; empty when the volume lacks it
};

// The record the volume's catalogue keeps for entry; nullptr when the volume has no
// catalogue. Each catalogue is read once per run. A catalogue that is damaged or does
// not list the entry means a damaged volume.
const package::CatalogueRecord* ExpectedRecord(core::Installer& run, const package::TResourceClass& volume,
                                               const package::TResourceEntry& entry) {
    const auto index = package::CatalogueIndex(volume.Entries());
    if (!index) return nullptr;
    const package::TResourceEntry& stored = volume.Entries()[*index];
    const std::string key = volume.PackagePath() + '|' + common::IntToText(stored.DataOffset) + '|' +
                            common::IntToText(stored.PackedSize);
    auto found = run.Catalogues.find(key);
    if (found == run.Catalogues.end()) {
        found = run.Catalogues.emplace(key, package::ReadCatalogue(run.Machine.files, volume).value()).first;
    }
    const package::CatalogueRecord* record = found->second.Find(entry.EntryName);
    if (record == nullptr) throw package::DamagedEntry("entry \"" + entry.EntryName + "\" is not in the catalogue");
    return record;
}

// Unpacks the entry into a new file beside the destination (CreateDiverted), so that
// the old file stays untouched until the new one is whole. The copy's path when it is;
// nothing when a read or write failed. Then, and when the installer ends meanwhile,
// the copy is removed.
std::optional<std::string> UnpackCopy(core::Installer& run, package::TResourceClass& volume,
                                      const package::TResourceEntry& entry, const std::string& destPath) {
    platform::FileSystem& files = run.Machine.files;
    std::string copy;
    const platform::EndAction removeCopy(run.App, [&files, &copy] { RemoveIfThere(files, copy); });
    try {
        const package::CatalogueRecord* expected = ExpectedRecord(run, volume, entry);
        DivertedCopy made = CreateDiverted(files, destPath);
        copy = made.path;
        if (!volume.ExtractEntry(entry, *made.file, copy, expected).writeFailed) return copy;
    } catch (const common::IoError&) {
        // The package or the copy could not be read or written.
    } catch (const package::FormatError&) {
        RemoveIfThere(files, copy);
        throw;
    }
    RemoveIfThere(files, copy);
    return std::nullopt;
}

// One unpacking attempt, from the volume as it is held or opened afresh. A failed
// attempt lets the volume go, so that the next one reads it anew.
Attempt Unpack(core::Installer& run, package::TResourceClass& volume, const std::string& volumeName,
               const std::string& label, const std::string& destPath) {
    core::TMain& main = *run.Windows.Main;
    main.IOFailed = false;
    const std::string path = run.State.SourceDir + volumeName;
    if (!volume.Holding() || volume.PackagePath() != path) volume.OpenAndHold(path);
    volume.SetProgress([&run](std::int32_t written) { install::UpdateProgress(run, written); });
    const package::TResourceEntry entry = volume.FindEntry(label);
    main.FileTotal = entry.UnpackedSize;
    if (entry.EntryName.empty()) return {};
    std::optional<std::string> copy;
    try {
        copy = UnpackCopy(run, volume, entry, destPath);
    } catch (const package::FormatError&) {
        install::ShowProgressNow(run);
        EndOnDamage(run, volumeName, label);
    }
    main.IOFailed = !copy;
    if (main.IOFailed) {
        install::ShowProgressNow(run);
        volume.Release();
        return {true, std::nullopt};
    }
    return {false, PutInPlace(run, *copy, destPath)};
}

// The write-error box; true when another attempt is to be made. A silent run has no
// one to free the disk and ends.
bool AskRetry(core::Installer& run, const std::string& label, const std::string& destPath) {
    run.Report.Note(u8"Błąd zapisu pliku ", destPath);
    if (run.Report.Silent()) run.EndWith(core::ExitCode::WriteFailure);
    const std::string text = common::Cp1250(u8"Błąd podczas kopiowania pliku ") + '"' + label + "\" ?";
    const int answer = run.App.MessageBox(text, common::Cp1250(u8"Błąd I/O"), platform::kMbAbortRetryIgnore);
    if (answer == platform::kIdRetry) return true;
    if (answer != platform::kIdAbort) return false;  // Ignore: the destination stays as it was
    if (dialogs::ConfirmAbort(run)) run.EndWith(core::ExitCode::WriteFailure);
    return true;
}

void NoteAttempt(core::Installer& run, const Attempt& attempt, const std::string& destPath) {
    if (attempt.failed) {
        run.Report.Note(u8"Pominięto po błędzie zapisu ", destPath);
    } else if (!attempt.path) {
        run.Report.Note(u8"Brak pliku w pakiecie: ", destPath);
    } else if (*attempt.path != destPath) {
        run.Report.Note(u8"Plik w użyciu: ", destPath + "; nowa kopia " + *attempt.path,
                        u8" zastąpi go po ponownym uruchomieniu systemu");
    } else {
        run.Report.Note(u8"Zapisano ", destPath);
    }
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

DivertedCopy CreateDiverted(platform::FileSystem& files, const std::string& destPath) {
    const std::string name = common::FileNamePart(destPath);
    const std::string stem = destPath.substr(0, destPath.size() - name.size()) + common::StripExtension(name);
    std::string candidate = stem + ".q07";
    for (std::int32_t n = 2;; ++n) {
        if (!common::SameText(candidate, destPath)) {
            try {
                return {candidate, files.Open(candidate, platform::OpenMode::CreateNew)};
            } catch (const common::IoError& error) {
                if (error.code() != common::kFileExists) throw;
            }
        }
        candidate = stem + "~" + common::IntToText(n) + ".q07";
    }
}

void InstallFile(core::Installer& run, const std::string& volumeName, const std::string& destPath, bool reg) {
    package::TResourceClass volume(run.Machine.files, run.TempDir);
    system::UninstallLog log(run);
    InstallFile(run, volume, volumeName, destPath, reg, run.Machine.files.FileExists(destPath), log);
}

void InstallFile(core::Installer& run, package::TResourceClass& volume, const std::string& volumeName,
                 const std::string& destPath, bool reg, bool destExists, system::UninstallLog& log) {
    const std::string label = common::FileNamePart(destPath);
    log.AddFile(destPath, reg, destExists);
    run.Windows.Main->FileDone = 0;
    MakeDirectoryOf(run, destPath);
    install::ShowFileName(run, label);

    Attempt attempt = Unpack(run, volume, volumeName, label, destPath);
    while (attempt.failed && AskRetry(run, label, destPath)) attempt = Unpack(run, volume, volumeName, label, destPath);
    NoteAttempt(run, attempt, destPath);
    const std::string path = attempt.path.value_or(destPath);
    if (!attempt.failed && (reg || IsLibrary(path))) system::AppendInstallReg(run, path);
}

}  // namespace instalator::install
