#include "dialogs/message_r.hpp"

#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

TMessageR::TMessageR(core::Installer& run)
    : Form(run.App, "TMessageR"),
      Panel1(*this, "Panel1", {0, 0, 425, 50}),
      MessageText(Panel1, "MessageText", {8, 0, 413, 49}) {
    SetBorder(platform::BorderStyle::None);
    SetIcons({false, false, false});
    SetPosition(platform::FormPosition::ScreenCenter);
    SetClientSize(425, 50);
    SetCentredText(MessageText, 11, "");
}

void TMessageR::ShowStatus(const std::string& text) {
    MessageText.SetText(text);
    Show();
    App().ProcessMessages();
}

void TMessageR::HideStatus() {
    Close();
    App().ProcessMessages();
}

}  // namespace instalator::dialogs
