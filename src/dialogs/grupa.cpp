#include "dialogs/grupa.hpp"

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TGrupa::TGrupa(core::Installer& run)
    : Form(run.App, "TGrupa"),
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
}

}  // namespace instalator::dialogs
