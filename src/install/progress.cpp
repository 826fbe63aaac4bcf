#include "install/progress.hpp"

#include <cmath>

#include "core/main_form.hpp"
#include "dialogs/copying.hpp"

namespace instalator::install {

std::int64_t Nearest(long double x) {
    const long double below = std::floor(x);
    const long double fraction = x - below;
    auto result = static_cast<std::int64_t>(below);
    if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
    return result;
}

void UpdateProgress(core::Installer& run, std::int32_t bytesWritten) {
    core::TMain& main = *run.Windows.Main;
    main.FileDone = bytesWritten;
    const std::int32_t total = run.State.TotalSpaceNeeded;
    if (total == 0 || main.FileTotal == 0) return;

    // Extended precision throughout; the sum cannot overflow there either.
    const long double written = bytesWritten;
    dialogs::TCopying& copying = *run.Windows.Copying;
    copying.CurrentProgressBar.SetPosition(Nearest(written / main.FileTotal * 100));
    copying.WholeProgressBar.SetPosition(Nearest((written + run.State.BytesDone) / total * 100));
    run.App.ProcessMessages();
}

}  // namespace instalator::install
