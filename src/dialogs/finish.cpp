#include "dialogs/finish.hpp"

#include "common/text.hpp"
#include "core/script.hpp"
#include "dialogs/dialog_look.hpp"
#include "dialogs/launch_file.hpp"
#include "dialogs/select_dir.hpp"

namespace instalator::dialogs {

using platform::ButtonPicture;
using platform::PictureLayout;

TFinish::TFinish(core::Installer& run)
    : Form(run.App, "TFinish"),
      run_(run),
      GroupBox1(*this, "GroupBox1", {0, 0, 441, 313}),
      Splash2(GroupBox1, "Splash2", {8, 12, 149, 293}),
      Label1(GroupBox1, "Label1", {172, 68, 257, 97}),
      DoStart(GroupBox1, "DoStart", {176, 176, 229, 17}),
      BitBtn2(GroupBox1, "BitBtn2", {172, 276, 253, 25}, ButtonPicture::Abort, PictureLayout::Left) {
    SetDialogFrame(*this, common::Cp1250(u8"Instalacja zakończona"), 441, 313, false);
    Splash2.SetStretch(true);
    SetCentredText(Label1, 11, common::Cp1250(u8"Instalacja została zakończona pomyślnie. "));
    Label1.SetLayout(platform::VerticalLayout::Top);
    DoStart.SetText(common::Cp1250(u8"Uruchom zainstalowaną aplikację"));
    DoStart.SetChecked(false);
    DoStart.SetTabOrder(1);
    BitBtn2.SetText(common::Cp1250(u8"Zakończ instalację"));
    BitBtn2.SetTabOrder(0);
    BitBtn2.OnClick = [this] { BitBtn2Click(); };
}

void TFinish::BitBtn2Click() {
    if (DoStart.Checked()) {
        const std::string program = run_.State.TargetDir + core::ScriptShell(*run_.State.ScriptIni);
        // A directory (an empty Shell value included) is not started.
        if (run_.Machine.files.FileExists(program)) LaunchFile(run_, program, "", "c:\\", kShowNormal);
    }
    run_.EndInstaller();
}

}  // namespace instalator::dialogs
