#include "install/progress.hpp"

#include <cmath>

#include "core/main_form.hpp"
#include "dialogs/copying.hpp"

namespace instalator::install {
namespace {

// True at most once per frame.
bool UpdateDue(core::Installer& run) {
    core::TMain& main = *run.Windows.Main;
    const std::uint32_t now = run.App.GetUi().Milliseconds();
    if (main.Shown && now - main.ShownAt < kFrameMilliseconds) return false;
    main.Shown = true;
    main.ShownAt = now;
    return true;
}

void ShowName(core::Installer& run) {
    const std::string& name = run.Windows.Main->FileName;
    platform::Panel& label = run.Windows.Copying->NowCoping;
    if (!name.empty() && label.Text() != name) label.SetText(name);
}

void ShowBars(core::Installer& run) {
    const core::TMain& main = *run.Windows.Main;
    if (!main.SharesKnown) return;
    dialogs::TCopying& copying = *run.Windows.Copying;
    copying.CurrentProgressBar.SetPosition(main.CurrentShare);
    copying.WholeProgressBar.SetPosition(main.WholeShare);
}

}  // namespace

std::int64_t Nearest(long double x) {
    const long double below = std::floor(x);
    const long double fraction = x - below;
    auto result = static_cast<std::int64_t>(below);
    if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
    return result;
}

void ShowFileName(core::Installer& run, const std::string& name) {
    run.Windows.Main->FileName = name;
    if (UpdateDue(run)) ShowName(run);
}

void UpdateProgress(core::Installer& run, std::int32_t bytesWritten) {
    core::TMain& main = *run.Windows.Main;
    main.FileDone = bytesWritten;
    const std::int32_t total = run.State.TotalSpaceNeeded;
    if (total == 0 || main.FileTotal == 0) return;
    // Extended precision throughout; the sum cannot overflow there either.
    const long double written = bytesWritten;
    main.CurrentShare = Nearest(written / main.FileTotal * 100);
    main.WholeShare = Nearest((written + run.State.BytesDone) / total * 100);
    main.SharesKnown = true;
    if (!UpdateDue(run)) return;
    ShowName(run);
    ShowBars(run);
    run.App.ProcessMessages();
}

void ShowProgressNow(core::Installer& run) {
    ShowName(run);
    ShowBars(run);
}

}  // namespace instalator::install
