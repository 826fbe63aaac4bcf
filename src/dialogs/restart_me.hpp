#pragma once
// TRestartME: offers to restart Windows when files were queued for replacement.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TRestartME final : public platform::Form {
public:
    explicit TRestartME(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Picture Splash2;
    platform::Label Label1;
    platform::CheckBox DoRestart;
    platform::BitmapButton BitBtn2;
};

}  // namespace instalator::dialogs
