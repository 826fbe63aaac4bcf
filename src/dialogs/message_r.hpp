#pragma once
// TMessageR: the borderless one-line status window.

#include <string>

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TMessageR final : public platform::Form {
public:
    explicit TMessageR(core::Installer& run);

    platform::Panel Panel1;
    platform::Label MessageText;

    // Shows text in the window without waiting, then lets pending messages run so
    // that it is painted at once.
    void ShowStatus(const std::string& text);
    // Hides the window, then lets pending messages run.
    void HideStatus();
};

}  // namespace instalator::dialogs
