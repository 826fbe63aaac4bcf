// The copy window's bars: extended-precision shares rounded half to even, and when
// messages are let run.

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "core/main_form.hpp"
#include "install/progress.hpp"
#include "dialogs/copying.hpp"
#include "support/engine_run.hpp"

namespace instalator::install {
namespace {

using core::Installer;
using platform::Step;
using testing::InstallerMachine;

TEST(NearestTest, HalvesGoToTheEvenNeighbour) {
    const std::pair<long double, std::int64_t> cases[] = {
        {0.5L, 0},  {1.5L, 2},   {2.5L, 2},   {3.5L, 4},    {-0.5L, 0},     {-1.5L, -2},
        {2.4L, 2},  {2.6L, 3},   {49.99L, 50}, {-2.6L, -3}, {1e12L + 0.5L, 1000000000000}, {0.0L, 0},
    };
    for (const auto& [x, expected] : cases) EXPECT_EQ(Nearest(x), expected) << static_cast<double>(x);
}

struct ProgressCase {
    const char* name;
    std::int32_t fileTotal;
    std::int32_t totalSpace;
    std::int32_t bytesDone;
    std::int32_t written;
    int current;  // expected bar positions; -1: the bars keep their old positions
    int whole;
};

TEST(UpdateProgressTest, SetsBothBarsAndPumpsOnlyWhenSizesAreKnown) {
    constexpr int kUntouched = 7;
    const ProgressCase cases[] = {
        {"half of a block", 4096, 4096, 0, 2048, 50, 50},
        {"half a percent goes down to 0", 200, 200, 0, 1, 0, 0},
        {"one and a half percent goes up to 2", 200, 200, 0, 3, 2, 2},
        {"whole counts bytes done before", 200, 1000, 100, 5, 2, 10},
        {"whole past the declared space is full", 100, 100, 150, 10, 10, 100},
        // 23/40*100 is 57.5 in extended precision (57.49999... in double); 59/200*100
        // is just below 29.5 in extended precision (exactly 29.5 in double).
        {"extended precision decides the halves", 40, 200, 36, 23, 58, 29},
        {"sum beyond 32 bits", 4096, std::numeric_limits<std::int32_t>::max(),
         std::numeric_limits<std::int32_t>::max() - 10, 4096, 100, 100},
        {"unknown file size", 0, 1000, 0, 500, -1, -1},
        {"no declared space", 1000, 0, 0, 500, -1, -1},
    };
    for (const ProgressCase& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        m.PrepareInstaller("[Application]\r\n");
        int clicks = 0;
        int clicksDuringUpdate = -1;
        std::int32_t fileDone = -1;
        int current = 0;
        int whole = 0;
        testing::RunEngine(m, [&](Installer& run) {
            dialogs::TCopying& copying = *run.Windows.Copying;
            copying.Button1.OnClick = [&clicks] { ++clicks; };
            copying.Show();
            copying.CurrentProgressBar.SetPosition(kUntouched);
            copying.WholeProgressBar.SetPosition(kUntouched);
            run.Windows.Main->FileTotal = c.fileTotal;
            run.State.TotalSpaceNeeded = c.totalSpace;
            run.State.BytesDone = c.bytesDone;
            m.machine.ui.AddStep(Step::Click("TCopying", "Button1"));
            UpdateProgress(run, c.written);
            clicksDuringUpdate = clicks;
            fileDone = run.Windows.Main->FileDone;
            current = copying.CurrentProgressBar.Position();
            whole = copying.WholeProgressBar.Position();
            run.Machine.ui.ProcessMessages();  // the click, when UpdateProgress left it
        });
        EXPECT_EQ(fileDone, c.written);
        EXPECT_EQ(current, c.current < 0 ? kUntouched : c.current);
        EXPECT_EQ(whole, c.whole < 0 ? kUntouched : c.whole);
        EXPECT_EQ(clicksDuringUpdate, c.current < 0 ? 0 : 1);  // messages run only when the bars move
        EXPECT_EQ(clicks, 1);
    }
}

}  // namespace
}  // namespace instalator::install

namespace instalator::install {
namespace {

// With the clock standing still the copy window changes at most once per frame, and
// then shows the latest name and sizes; messages run only with such an update. The
// sizes are recorded every time, and an update before a box shows at once what the
// window was last told, also once the file's bytes count as done.
TEST(UpdateProgressTest, TheWindowFollowsAtMostOncePerFrame) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\n");
    m.machine.ui.SetClockStep(0);
    int clicks = 0;
    struct Shown {
        std::string name;
        int current;
        int whole;
        int clicks;
        std::int32_t fileDone;
    };
    std::vector<Shown> shown;
    testing::RunEngine(m, [&](Installer& run) {
        dialogs::TCopying& copying = *run.Windows.Copying;
        copying.Button1.OnClick = [&clicks] { ++clicks; };
        copying.Show();
        run.State.TotalSpaceNeeded = 1000;
        run.Windows.Main->FileTotal = 100;
        auto note = [&] {
            shown.push_back({copying.NowCoping.Text(), copying.CurrentProgressBar.Position(),
                             copying.WholeProgressBar.Position(), clicks, run.Windows.Main->FileDone});
        };
        m.machine.ui.AddStep(Step::Click("TCopying", "Button1"));
        ShowFileName(run, "A.txt");  // the first update is due at once
        UpdateProgress(run, 50);     // within the frame: nothing changes, no messages
        note();
        m.machine.ui.AdvanceClock(kFrameMilliseconds - 1);
        ShowFileName(run, "B.txt");
        UpdateProgress(run, 60);
        note();
        m.machine.ui.AdvanceClock(1);
        UpdateProgress(run, 70);  // a frame later: B.txt at 70%, and the click runs
        note();
        ShowFileName(run, "C.txt");
        UpdateProgress(run, 80);
        ShowProgressNow(run);
        note();
        run.State.BytesDone += 100;  // the pass goes on to the next file
        ShowProgressNow(run);
        note();
    });
    const std::vector<std::tuple<std::string, int, int, int, std::int32_t>> expected = {
        {"A.txt", 0, 0, 0, 50}, {"A.txt", 0, 0, 0, 60}, {"B.txt", 70, 7, 1, 70}, {"C.txt", 80, 8, 1, 80}, {"C.txt", 80, 8, 1, 80}};
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::tie(shown[i].name, shown[i].current, shown[i].whole, shown[i].clicks, shown[i].fileDone),
                  expected[i]);
    }
}

}  // namespace
}  // namespace instalator::install
