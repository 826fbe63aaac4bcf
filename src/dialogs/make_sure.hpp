#pragma once
// TMakeSure: the welcome dialog, the first window of the installation sequence.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TMakeSure final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TMakeSure(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::BitmapButton SpeedButton1;
    platform::Label MakeInfo;
    platform::BitmapButton BitBtn1;
    platform::Label Label1;

    // Greets the user with the script's title.
    void FormShow();
    // "&Instaluj": closes the dialog, and the installation goes on.
    void SpeedButton1Click();
    // "&Przerwij": ends the installer when the user confirms.
    void SpeedButton2Click();
};

// The welcome text for a product title.
std::string WelcomeText(const std::string& title);

}  // namespace instalator::dialogs
