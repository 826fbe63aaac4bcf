#pragma once
// TGrupa: the program-group dialog. The chosen group is the text of GRP.

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

    // Lists the existing group folders of the Start menu's Programs folder.
    void FormShow();
    // "Przerwij instalację": ends the installer when the user confirms.
    void BitBtn2Click();
};

}  // namespace instalator::dialogs
