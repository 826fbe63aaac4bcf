#pragma once
// Uninst.exe as a whole: reads its command line, checks the uninstall log, asks the
// user, removes the installation with the progress window and reports what became of
// it. With /S it asks nothing and shows nothing; the exit code tells the outcome.

#include "platform/platform.hpp"

namespace instalator::uninstall {

// The uninstaller's exit codes.
inline constexpr int kRemoved = 0;      // everything the installation wrote is gone
inline constexpr int kDeclined = 1;     // the user answered No; nothing was touched
inline constexpr int kLogUnusable = 2;  // no log, or one it cannot go by; nothing was touched
inline constexpr int kLeftBehind = 3;   // something stays until the next start, or for good

// The caption of the uninstaller's boxes and windows.
extern const char* const kUninstallerTitle;

// Runs the uninstaller on machine with its command line (System::Arguments) and
// returns the exit code.
int RunUninstaller(platform::Platform& machine);

}  // namespace instalator::uninstall
