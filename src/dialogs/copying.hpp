#pragma once
// TCopying: the copy-progress window shown during the file pass, always on top.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TCopying final : public platform::Form {
public:
    explicit TCopying(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::Panel Panel1;
    platform::Panel NowCoping;
    platform::ProgressBar CurrentProgressBar;
    platform::ProgressBar WholeProgressBar;
    platform::Button Button1;
};

}  // namespace instalator::dialogs
