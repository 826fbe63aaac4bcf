#include "dialogs/confirm_abort.hpp"

#include "common/text.hpp"

namespace instalator::dialogs {
namespace {

constexpr unsigned kYesNo = 4;  // MB_YESNO, no icon, Yes the default button
constexpr int kYes = 6;         // IDYES

}  // namespace

bool ConfirmAbort(core::Installer& run) {
    return run.App.MessageBox(common::Cp1250(u8"Jesteś pewny, że chcesz przerwać instalację ?"),
                              common::Cp1250(u8"Zakończ instalację"), kYesNo) == kYes;
}

}  // namespace instalator::dialogs
