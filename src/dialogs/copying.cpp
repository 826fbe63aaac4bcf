#include "dialogs/copying.hpp"

#include "dialogs/confirm_abort.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

TCopying::TCopying(core::Installer& run)
    : Form(run.App, "TCopying"),
      run_(run),
      GroupBox1(*this, "GroupBox1", {0, 0, 349, 97}),
      Panel1(GroupBox1, "Panel1", {8, 12, 101, 17}),
      NowCoping(GroupBox1, "NowCoping", {112, 12, 233, 17}),
      CurrentProgressBar(GroupBox1, "CurrentProgressBar", {8, 40, 333, 21}),
      WholeProgressBar(GroupBox1, "WholeProgressBar", {8, 68, 333, 21}),
      Button1(*this, "Button1", {132, 100, 93, 25}) {
    SetDialogFrame(*this, "Instalacja", 350, 125, false);
    // The sequence places it over the main window before showing it.
    SetPosition(platform::FormPosition::Designed);
    SetStayOnTop(true);
    Panel1.SetText("Kopiuje plik");
    platform::Font navy = DialogFont();
    navy.colour = {0, 0, 128};
    NowCoping.SetFont(navy);
    NowCoping.SetText("Setup.lst");
    Button1.SetText("&Przerwij");
    Button1.OnClick = [this] { Button1Click(); };
}

void TCopying::Button1Click() {
    if (ConfirmAbort(run_)) run_.EndInstaller();
}

}  // namespace instalator::dialogs
