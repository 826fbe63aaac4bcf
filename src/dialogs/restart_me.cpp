#include "dialogs/restart_me.hpp"

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TRestartME::TRestartME(core::Installer& run)
    : Form(run.App, "TRestartME"),
      run_(run),
      GroupBox1(*this, "GroupBox1", {0, 0, 441, 313}),
      Splash2(GroupBox1, "Splash2", {8, 12, 149, 293}),
      Label1(GroupBox1, "Label1", {172, 48, 257, 97}),
      DoRestart(GroupBox1, "DoRestart", {172, 180, 253, 21}),
      BitBtn2(GroupBox1, "BitBtn2", {172, 276, 253, 25}, ButtonPicture::Abort, PictureLayout::Left) {
    SetDialogFrame(*this, "Restart systemu", 443, 315, false);
    Splash2.SetStretch(true);
    SetCentredText(Label1, 11,
                   common::Cp1250(u8"Podczas instalacji plików, instalator podmienił część plików systemowych, "
                                  u8"na ich nowsze wersje. Operacja ta wymaga jednak restartu systemu. "
                                  u8"Zainstalowana applikacja może nie działać poprawnie, "
                                  u8"jeżeli nie zrestartujesz systemu !"));
    Label1.SetLayout(platform::VerticalLayout::Top);
    DoRestart.SetText("Zrestartuj system");
    DoRestart.SetChecked(true);
    DoRestart.SetTabOrder(1);
    BitBtn2.SetText(common::Cp1250(u8"Zakończ instalację"));
    BitBtn2.SetTabOrder(0);
    BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

void TRestartME::BitBtn2Click() {
    if (DoRestart.Checked()) run_.Machine.shell.RestartWindows();
    Close();
}

}  // namespace instalator::dialogs
