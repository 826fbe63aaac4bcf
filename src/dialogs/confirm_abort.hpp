#pragma once
// The one question every abort path asks before the installer ends.

#include "core/installer.hpp"

namespace instalator::dialogs {

// Asks "Jesteś pewny, że chcesz przerwać instalację ?" (caption "Zakończ
// instalację", Yes and No, no icon); true exactly when the answer is Yes. The caller
// then ends the installer.
bool ConfirmAbort(core::Installer& run);

}  // namespace instalator::dialogs
