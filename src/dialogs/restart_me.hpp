#pragma once
// TRestartME: offers to restart Windows when files were queued for replacement.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TRestartME final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TRestartME(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Picture Splash2;
    platform::Label Label1;
    platform::CheckBox DoRestart;
    platform::BitmapButton BitBtn2;

    // "Zakończ instalację": asks for a restart of Windows when DoRestart is ticked
    // (what the platform answers is not examined), then closes.
    void BitBtn2Click();
};

}  // namespace instalator::dialogs
