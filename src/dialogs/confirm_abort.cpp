#include "dialogs/confirm_abort.hpp"

#include "common/text.hpp"
#include "platform/ui.hpp"

namespace instalator::dialogs {

bool ConfirmAbort(core::Installer& run) {
    return run.App.MessageBox(common::Cp1250(u8"Jesteś pewny, że chcesz przerwać instalację ?"),
                              common::Cp1250(u8"Zakończ instalację"), platform::kMbYesNo) == platform::kIdYes;
}

}  // namespace instalator::dialogs
