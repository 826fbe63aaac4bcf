#pragma once
// TFinish: the last dialog; reports success and can start the installed program.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TFinish final : public platform::Form {
public:
    explicit TFinish(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Picture Splash2;
    platform::Label Label1;
    platform::CheckBox DoStart;
    platform::BitmapButton BitBtn2;
};

}  // namespace instalator::dialogs
