#pragma once
// TMakeSure: the welcome dialog, the first window of the installation sequence.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TMakeSure final : public platform::Form {
public:
    explicit TMakeSure(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::BitmapButton SpeedButton1;
    platform::Label MakeInfo;
    platform::BitmapButton BitBtn1;
    platform::Label Label1;
};

}  // namespace instalator::dialogs
