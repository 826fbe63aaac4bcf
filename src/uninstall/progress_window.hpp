#pragma once
// TUninstalling: the window that shows the removal going on, in the installer's
// dialog look, without a close button (a close request is ignored, as for the copy
// window of the installer: the removal is not left half done).

#include <cstddef>
#include <string>

#include "platform/forms.hpp"

namespace instalator::uninstall {

class TUninstalling final : public platform::Form {
public:
    // title is the product's name from the log.
    TUninstalling(platform::Application& app, const std::string& title);

    platform::GroupBox GroupBox1;
    platform::Label Message;
    platform::Label NowRemoving;
    platform::ProgressBar WholeProgressBar;

    // Shows path and moves the bar to done of total, then lets messages run.
    void ShowStep(std::size_t done, std::size_t total, const std::string& path);
};

}  // namespace instalator::uninstall
