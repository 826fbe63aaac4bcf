#include "dialogs/make_sure.hpp"

#include "common/text.hpp"
#include "core/script.hpp"
#include "dialogs/confirm_abort.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TMakeSure::TMakeSure(core::Installer& run)
    : Form(run.App, "TMakeSure"),
      run_(run),
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
    OnShow = [this] { FormShow(); };
    SpeedButton1.OnClick = [this] { SpeedButton1Click(); };
    BitBtn1.OnClick = [this] { SpeedButton2Click(); };
}

std::string WelcomeText(const std::string& title) {
    // No blank between the two sentences: the label's wrapping breaks the line.
    return "Witam w programie instalacyjnym aplikacji " + Quoted(title) + " ! ." +
           common::Cp1250(u8"W celu rozpoczęcia instalacji wybierz przycisk ") + Quoted("Instaluj");
}

void TMakeSure::FormShow() {
    MakeInfo.SetText(WelcomeText(run_.State.Title));
}

void TMakeSure::SpeedButton1Click() { Close(); }

void TMakeSure::SpeedButton2Click() {
    if (ConfirmAbort(run_)) run_.EndInstaller();
}

}  // namespace instalator::dialogs
