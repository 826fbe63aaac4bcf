#include "dialogs/select_dir.hpp"

#include <optional>

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/script.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/dialog_look.hpp"
#include "platform/file_system.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TSelectDirectory::TSelectDirectory(core::Installer& run)
    : Form(run.App, "TSelectDirectory"),
      run_(run),
      GroupBox1(*this, "GroupBox1", {0, 0, 461, 173}),
      BitBtn1(GroupBox1, "BitBtn1", {8, 12, 105, 93}, ButtonPicture::Install, PictureLayout::Above),
      Label1(GroupBox1, "Label1", {120, 16, 329, 93}),
      GroupBox2(GroupBox1, "GroupBox2", {8, 116, 445, 49}),
      SelectedDir(GroupBox2, "SelectedDir", {8, 16, 429, 21}),
      BitBtn2(*this, "BitBtn2", {168, 176, 141, 29}, ButtonPicture::Abort, PictureLayout::Left) {
    SetDialogFrame(*this, common::Cp1250(u8"Wskaż katalog docelowy"), 462, 208, false);
    BitBtn1.SetText("&Instaluj");
    BitBtn1.SetFont(DialogFont(11, true));
    BitBtn1.SetTabOrder(0);
    SetCentredText(Label1, 13,
                   common::Cp1250(u8"Wskaż katalog, w którym instalator powinien zapisać pliki programu. "
                                  u8"Po wybraniu katalogu wciśnij przycisk ") +
                       Quoted("Instaluj"));
    GroupBox2.SetText("Katalog docelowy");
    SelectedDir.SetTabOrder(0);
    BitBtn2.SetText(common::Cp1250(u8"Przerwij instalację"));
    BitBtn2.SetTabOrder(1);
    OnCreate = [this] { FormCreate(); };
    BitBtn1.OnClick = [this] { BitBtn1Click(); };
    BitBtn2.OnClick = [this] { BitBtn2Click(); };
    SelectedDir.OnKeyPress = [this](char& key) { SelectedDirKeyPress(key); };
    SelectedDir.OnBeforeDialog = [this](std::string& start) { SelectedDirBeforeDialog(start); };
    SelectedDir.OnAfterDialog = [this](std::string& path, bool& accepted) { SelectedDirAfterDialog(path, accepted); };
}

bool IsExistingDirectory(platform::System& system, const std::string& path) {
    const std::string remembered = system.CurrentDirectory();
    const bool exists = system.SetCurrentDirectory(path);
    if (!system.SetCurrentDirectory(remembered)) throw common::IoError(3, remembered);
    return exists;
}

void TSelectDirectory::AskTarget() {
    if (const std::optional<std::string>& chosen = run_.Report.Options().targetDir) SelectedDir.SetText(*chosen);
    if (run_.Report.Silent()) {
        TakeTarget();
    } else {
        ShowModal();
    }
    run_.State.TargetDir = SelectedDir.Text();
    run_.Report.Note(u8"Katalog docelowy: ", run_.State.TargetDir);
}

void TSelectDirectory::TakeTarget() {
    if (common::RightText(SelectedDir.Text(), 1) != "\\") SelectedDir.SetText(SelectedDir.Text() + "\\");
    const std::string target = SelectedDir.Text();
    platform::System& system = run_.Machine.system;
    if (IsExistingDirectory(system, target)) return;
    platform::MakePath(run_.Machine.files, target);
    if (!IsExistingDirectory(system, target)) {
        run_.EndWith(core::ExitCode::TargetNotCreated, u8"Nie można utworzyć katalogu docelowego ", target);
    }
    run_.Report.Note(u8"Utworzono katalog ", target);
}

void TSelectDirectory::FormCreate() { SelectedDir.SetText(core::ScriptTargetDir(*run_.State.ScriptIni)); }

void TSelectDirectory::BitBtn1Click() {
    if (common::RightText(SelectedDir.Text(), 1) != "\\") SelectedDir.SetText(SelectedDir.Text() + "\\");
    const std::string target = SelectedDir.Text();
    platform::System& system = run_.Machine.system;
    if (IsExistingDirectory(system, target)) {
        Close();
        return;
    }
    const int answer = run_.App.MessageBox(
        common::Cp1250(u8"Wskazany katalog nie istnieje !. Czy chcesz go utworzyć ?"), "Instalator", platform::kMbYesNo);
    if (answer != platform::kIdYes) return;
    platform::MakePath(run_.Machine.files, target);
    if (IsExistingDirectory(system, target)) {
        Close();
        return;
    }
    run_.App.ShowMessage(common::Cp1250(u8"Błąd podczas próby utworzenia katalog. Podana nazwa jest nieprawidłowa "
                                        u8"lub katalog o podanej nazwie już istnieje"));
}

void TSelectDirectory::BitBtn2Click() {
    if (ConfirmAbort(run_)) run_.EndInstaller();
}

void TSelectDirectory::SelectedDirKeyPress(char& key) {
    if (key == '\r') BitBtn1Click();
}

void TSelectDirectory::SelectedDirBeforeDialog(std::string& startFolder) {
    // (assign, not "=": GCC 12 -O3 warns falsely about overlapping copies for the latter)
    if (!IsExistingDirectory(run_.Machine.system, startFolder)) startFolder.assign(1, '\\');
}

void TSelectDirectory::SelectedDirAfterDialog(std::string& path, bool&) {
    if (common::RightText(path, 1) != "\\") path += '\\';
    path += "Quill07\\";
}

}  // namespace instalator::dialogs
