#include "dialogs/make_sure.hpp"

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TMakeSure::TMakeSure(core::Installer& run)
    : Form(run.App, "TMakeSure"),
      GroupBox1(*this, "GroupBox1", {0, 0, 453, 221}),
      SpeedButton1(GroupBox1, "SpeedButton1", {8, 16, 105, 93}, ButtonPicture::Install, PictureLayout::Above),
      MakeInfo(GroupBox1, "MakeInfo", {124, 16, 325, 93}),
      BitBtn1(GroupBox1, "BitBtn1", {8, 116, 105, 93}, ButtonPicture::Abort, PictureLayout::Above),
      Label1(GroupBox1, "Label1", {124, 120, 325, 85}) {
    SetDialogFrame(*this, "Instalator programu", 453, 222, false);
    SpeedButton1.SetText("&Instaluj");
    SpeedButton1.SetFont(DialogFont(11, true));
    SpeedButton1.SetTabOrder(0);
    SetCentredText(MakeInfo, 13, "");
    BitBtn1.SetText("&Przerwij");
    BitBtn1.SetFont(DialogFont(11, true));
    BitBtn1.SetTabOrder(1);
    SetCentredText(Label1, 13, common::Cp1250(u8"Wybierz ten przycisk, aby przerwać instalację."));
}

}  // namespace instalator::dialogs
