#pragma once
// Starting a program through the shell with its default action.

#include <string>

#include "core/installer.hpp"

namespace instalator::dialogs {

// The show command of a window in its normal size and place (SW_SHOWNORMAL).
inline constexpr int kShowNormal = 1;

// Asks the shell to open file (no verb: its default action) with the parameters and
// working directory, owned by the main window. The strings are handed over whole,
// whatever their length. True when the shell took the request.
bool LaunchFile(core::Installer& run, const std::string& file, const std::string& params,
                const std::string& directory, int showCmd);

}  // namespace instalator::dialogs
