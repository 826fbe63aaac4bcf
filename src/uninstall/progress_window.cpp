#include "uninstall/progress_window.hpp"

#include "common/text.hpp"
#include "dialogs/dialog_look.hpp"

namespace instalator::uninstall {

TUninstalling::TUninstalling(platform::Application& app, const std::string& title)
    : Form(app, "TUninstalling"),
      GroupBox1(*this, "GroupBox1", {0, 0, 350, 125}),
      Message(GroupBox1, "Message", {8, 12, 334, 40}),
      NowRemoving(GroupBox1, "NowRemoving", {8, 58, 334, 17}),
      WholeProgressBar(GroupBox1, "WholeProgressBar", {8, 88, 334, 20}) {
    dialogs::SetDialogFrame(*this, common::Cp1250(u8"Odinstalowanie"), 350, 125, false);
    dialogs::SetCentredText(Message, 11, common::Cp1250(u8"Trwa usuwanie aplikacji ") + dialogs::Quoted(title) + " ...");
    NowRemoving.SetAlignment(platform::Alignment::Center);
}

void TUninstalling::ShowStep(std::size_t done, std::size_t total, const std::string& path) {
    NowRemoving.SetText(path);
    WholeProgressBar.SetPosition(total == 0 ? 100 : static_cast<std::int64_t>(done * 100 / total));
    App().ProcessMessages();
}

}  // namespace instalator::uninstall
