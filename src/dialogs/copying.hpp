#pragma once
// TCopying: the copy-progress window shown during the file pass, always on top.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TCopying final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TCopying(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Panel Panel1;
    platform::Panel NowCoping;
    platform::ProgressBar CurrentProgressBar;
    platform::ProgressBar WholeProgressBar;
    platform::Button Button1;

    // "&Przerwij": ends the installer, in the middle of the file pass, when the user
    // confirms; otherwise the pass goes on.
    void Button1Click();
};

}  // namespace instalator::dialogs
