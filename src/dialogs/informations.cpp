#include "dialogs/informations.hpp"

namespace instalator::dialogs {

TInformations::TInformations(core::Installer& run)
    : Form(run.App, "TInformations"), Dest(*this, "Dest", {0, 0, 400, 261}) {
    SetBorder(platform::BorderStyle::None);
    SetIcons({false, false, false});
    SetStayOnTop(true);
    SetClientSize(400, 256);
    Dest.SetTransparent(true);
}

}  // namespace instalator::dialogs
