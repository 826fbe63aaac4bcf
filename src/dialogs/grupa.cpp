#include "dialogs/grupa.hpp"

#include <cstdint>
#include <vector>

#include "common/errors.hpp"
#include "core/script.hpp"
#include "profile/reg_ini_file.hpp"
#include "common/text.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

namespace {

constexpr std::uint32_t kDirectoryAttribute = 0x10;

}  // namespace

TGrupa::TGrupa(core::Installer& run)
    : Form(run.App, "TGrupa"),
      run_(run),
      GroupBox1(*this, "GroupBox1", {0, 0, 461, 173}),
      BitBtn1(GroupBox1, "BitBtn1", {8, 12, 105, 93}, ButtonPicture::Install, PictureLayout::Above),
      Label1(GroupBox1, "Label1", {120, 16, 329, 93}),
      GroupBox2(GroupBox1, "GroupBox2", {8, 116, 445, 49}),
      GRP(GroupBox2, "GRP", {16, 20, 421, 21}),
      BitBtn2(*this, "BitBtn2", {168, 176, 141, 29}, ButtonPicture::Abort, PictureLayout::Left) {
    SetDialogFrame(*this, common::Cp1250(u8"Wskaż grupę dla programu"), 461, 206, true);
    BitBtn1.SetText("&Instaluj");
    BitBtn1.SetFont(DialogFont(11, true));
    BitBtn1.SetTabOrder(0);
    BitBtn1.SetModalResult(platform::kModalOk);
    SetCentredText(Label1, 13,
                   common::Cp1250(u8"Wskaż grupę, do której instalator ma dodać ikony programu. "
                                  u8"Po wybraniu grupy wciśnij przycisk ") +
                       Quoted("Instaluj"));
    GroupBox2.SetText("Grupa programu");
    GRP.SetItemHeight(13);
    BitBtn2.SetText(common::Cp1250(u8"Przerwij instalację"));
    BitBtn2.SetTabOrder(1);
    OnShow = [this] { FormShow(); };
    BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

void TGrupa::AskGroup() {
    profile::TIniFile& script = *run_.State.ScriptIni;
    GRP.SetText(run_.Report.Options().group.value_or(core::ScriptGroup(script)));
    if (!run_.Report.Silent()) ShowModal();
    core::WriteScriptGroup(script, GRP.Text());
    run_.State.Group = core::ScriptGroup(script);
    run_.Report.Note(u8"Grupa programu: ", run_.State.Group);
}

void TGrupa::FormShow() {
    const std::string programs = core::ProgramsFolder(run_.Machine.registry);
    std::vector<platform::DirectoryEntry> entries;
    try {
        entries = run_.Machine.files.ListDirectory(programs + "\\");
    } catch (const common::IoError&) {
        return;  // no such folder: nothing to propose, any name may still be typed
    }
    for (const platform::DirectoryEntry& entry : entries) {
        // Exactly the directory attribute: a read-only, hidden, system or archived
        // folder is not proposed.
        if (entry.name.empty() || entry.name.front() == '.' || entry.attributes != kDirectoryAttribute) continue;
        GRP.AddItem(entry.name);
    }
}

void TGrupa::BitBtn2Click() {
    if (ConfirmAbort(run_)) run_.EndInstaller();
}

}  // namespace instalator::dialogs
