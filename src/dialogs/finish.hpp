#pragma once
// TFinish: the last dialog; reports success and can start the installed program.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TFinish final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TFinish(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Picture Splash2;
    platform::Label Label1;
    platform::CheckBox DoStart;
    platform::BitmapButton BitBtn2;

    // "Zakończ instalację": starts [Application] Shell from the target directory when
    // DoStart is ticked and that file exists, then ends the installer.
    [[noreturn]] void BitBtn2Click();
};

}  // namespace instalator::dialogs
