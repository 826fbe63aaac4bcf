#pragma once
// Helpers for running the installation wizard on the headless machine: packages with
// the two required pictures, running one dialog on its own, and reading what was
// shown.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/installer.hpp"
#include "support/installer_machine.hpp"

namespace instalator::testing {

// A 24-bit BMP file of width × height pixels, all of one grey.
std::string BmpFile(int width, int height);

// The installer at C:\DIST\SETUP.EXE with a package holding Setup.lst = script and,
// when asked, the pictures Splash1.bmp (400 × 261) and setup2.bmp (149 × 293), and
// the further entries given.
void PrepareWizard(InstallerMachine& m, const std::string& script, bool splash1 = true, bool setup2 = true,
                   const std::map<std::string, std::string>& more = {});

// Starts the installer's windows (without the message loop) and runs body on them.
platform::RunOutcome RunWithWindows(InstallerMachine& m, const std::function<void(core::Installer&)>& body);

// Names of the forms shown modally or without waiting, in order.
std::vector<std::string> ModalForms(const platform::HeadlessUi& ui);
std::vector<std::string> ShownForms(const platform::HeadlessUi& ui);
// The message boxes' texts, in order.
std::vector<std::string> BoxTexts(const platform::HeadlessUi& ui);
// The texts shown in the status window, in order.
std::vector<std::string> StatusTexts(const platform::HeadlessUi& ui);

}  // namespace instalator::testing
