#pragma once
// Running pieces of the installation engine directly on the headless machine: the
// installer's windows are created (start-up reads the package and script), the
// target directory is set as the target-directory dialog would leave it, and a test
// body drives the engine.

#include <functional>
#include <string>

#include "core/installer.hpp"
#include "support/installer_machine.hpp"

namespace instalator::testing {

// Creates the windows (RunWithWindows), makes the directory target and makes it the
// run's target directory, with the script's group, as the dialogs leave them; then
// runs body.
platform::RunOutcome RunEngine(InstallerMachine& m, const std::function<void(core::Installer&)>& body,
                               const std::string& target = "C:\\APP\\");

// The message boxes shown, each as "caption|text" in UTF-8, in order.
std::vector<std::string> Boxes(const platform::HeadlessUi& ui);

}  // namespace instalator::testing
