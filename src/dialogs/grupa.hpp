#pragma once
// TGrupa: the program-group dialog. The chosen group is the text of GRP; the run
// takes it when the dialog closes.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TGrupa final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TGrupa(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::BitmapButton BitBtn1;
    platform::Label Label1;
    platform::GroupBox GroupBox2;
    platform::ComboBox GRP;
    platform::BitmapButton BitBtn2;

    // Proposes the script's Group (or the one of /G=), shows the dialog until it
    // closes (not in a silent run), writes a non-empty choice into the script copy
    // and makes the script's Group the run's.
    void AskGroup();
    // Lists the existing group folders of the Start menu's Programs folder.
    void FormShow();
    // "Przerwij instalację": ends the installer when the user confirms.
    void BitBtn2Click();
};

}  // namespace instalator::dialogs
