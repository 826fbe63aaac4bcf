#pragma once
// TMessageR: the borderless one-line status window.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TMessageR final : public platform::Form {
public:
    explicit TMessageR(core::Installer& run);

    platform::Panel Panel1;
    platform::Label MessageText;
};

}  // namespace instalator::dialogs
