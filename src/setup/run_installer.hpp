#pragma once
// The installer as a whole: its nine windows, created in order with the installation
// sequence hooked to the main window's timer, and the process entry shared by
// Setup.exe and the headless tests.

#include "core/installer.hpp"
#include "platform/platform.hpp"

namespace instalator::setup {

// Creates the nine windows hidden, in order (TMain first; each one's FormCreate runs
// as it is created), and lets the main window's timer start the installation.
void CreateWindows(core::Installer& run);

// The process entry: sets the application title, creates the windows and runs the
// message loop; returns the exit code 0 when the loop ends by itself.
int RunInstaller(platform::Platform& machine);

}  // namespace instalator::setup
