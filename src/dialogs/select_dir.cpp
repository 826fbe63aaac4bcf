#include "dialogs/select_dir.hpp"

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"

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
}

void TSelectDirectory::FormCreate() {
    SelectedDir.SetText(run_.State.ScriptIni->ReadText("Application", "TargetDir", kDefaultTargetDir));
}

}  // namespace instalator::dialogs
