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

// Sets the bars; false when the sizes they need are not known.
bool ShowBars(core::Installer& run) {
    const core::TMain& main = *run.Windows.Main;
    const std::int32_t total = run.State.TotalSpaceNeeded;
    if (total == 0 || main.FileTotal == 0) return false;
    // Extended precision throughout; the sum cannot overflow there either.
    const long double written = main.FileDone;
    dialogs::TCopying& copying = *run.Windows.Copying;
    copying.CurrentProgressBar.SetPosition(Nearest(written / main.FileTotal * 100));
    copying.WholeProgressBar.SetPosition(Nearest((written + run.State.BytesDone) / total * 100));
    return true;
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
    if (run.State.TotalSpaceNeeded == 0 || main.FileTotal == 0 || !UpdateDue(run)) return;
    ShowName(run);
    ShowBars(run);
    run.App.ProcessMessages();
}

void ShowProgressNow(core::Installer& run) {
    ShowName(run);
    ShowBars(run);
}

}  // namespace instalator::install
