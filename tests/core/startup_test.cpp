// Start-up of the installer on the headless machine: the package and script, the
// title labels, the credit labels' placement, the missing-package message and the
// creation of the nine windows.

#include <gtest/gtest.h>

#include "common/text.hpp"
#include "core/installer.hpp"
#include "core/main_form.hpp"
#include "dialogs/select_dir.hpp"
#include "setup/run_installer.hpp"
#include "support/installer_machine.hpp"

namespace instalator::core {
namespace {

using common::Cp1250;
using platform::Event;
using platform::RunOutcome;
using platform::Step;
using testing::InstallerMachine;

// The state and windows as they stand once every window has been created.
struct StartedRun {
    std::string sourceDir;
    std::string scriptFileName;
    std::string subTitle;
    std::string supTitle;
    std::string targetDir;
    std::vector<std::string> forms;
    bool anyVisible = false;
};

StartedRun StartOnly(InstallerMachine& m) {
    StartedRun seen;
    m.machine.Run([&](platform::Platform& platform) {
        Installer run(platform);
        run.App.SetTitle(std::string(kApplicationTitle));
        setup::CreateWindows(run);
        seen.sourceDir = run.State.SourceDir;
        seen.scriptFileName = run.State.ScriptFileName;
        seen.subTitle = run.Windows.Main->SubTitle.Text();
        seen.supTitle = run.Windows.Main->SupTitle.Text();
        seen.targetDir = run.Windows.SelectDirectory->SelectedDir.Text();
        for (const platform::Form* form : run.App.Forms()) {
            seen.forms.push_back(form->Name());
            seen.anyVisible = seen.anyVisible || form->Visible();
        }
        return 0;
    });
    return seen;
}

TEST(SourceDirTest, IsTheExecutablesDirectoryWithOneBackslash) {
    EXPECT_EQ(SourceDirOf("A:\\SETUP.EXE"), "A:\\");
    EXPECT_EQ(SourceDirOf("C:\\DIST\\SETUP.EXE"), "C:\\DIST\\");
    EXPECT_EQ(SourceDirOf("C:\\Program Files\\Kit\\v1.0\\Setup.exe"), "C:\\Program Files\\Kit\\v1.0\\");
}

TEST(StartupTest, OpensThePackageBesideTheExecutable) {
    for (const char* exe : {"A:\\SETUP.EXE", "C:\\DIST\\SETUP.EXE"}) {
        SCOPED_TRACE(exe);
        InstallerMachine m;
        const std::string dir = SourceDirOf(exe);
        m.MakePackage(dir + "Setup1.res", {{"Setup.lst", "[Application]\r\nTitle=Edytor tekstu\r\n"}});
        m.machine.system.SetExecutablePath(exe);
        const StartedRun run = StartOnly(m);
        EXPECT_EQ(run.sourceDir, dir);
        EXPECT_EQ(run.scriptFileName, "C:\\WINDOWS\\TEMP\\Setup.lst");
        EXPECT_EQ(run.subTitle, "Edytor tekstu");
        EXPECT_EQ(run.supTitle, "Edytor tekstu");
    }
}

TEST(StartupTest, TitleAndTargetComeFromTheScriptWithDefaults) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> entries;
        std::string title;
        std::string target;
    };
    const Case cases[] = {
        {"both keys",
         {{"Setup.lst", Cp1250(u8"[Application]\r\nTitle=Pióro 7\r\nTargetDir=D:\\Programy\\Pióro\r\n")}},
         Cp1250(u8"Pióro 7"),
         Cp1250(u8"D:\\Programy\\Pióro")},
        {"no Title key", {{"Setup.lst", "[Application]\r\nGroup=Kit\r\n"}}, "Quill07", "C:\\MyApp"},
        {"empty Title", {{"Setup.lst", "[Application]\r\nTitle=\r\n"}}, "", "C:\\MyApp"},
        {"entry name in capitals", {{"SETUP.LST", "[application]\r\ntitle=Big\r\n"}}, "Big", "C:\\MyApp"},
        {"no Setup.lst", {{"Splash1.bmp", "BM"}}, "Quill07", "C:\\MyApp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        m.MakePackage("C:\\DIST\\Setup1.res", c.entries);
        m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
        const StartedRun run = StartOnly(m);
        EXPECT_EQ(run.subTitle, c.title);
        EXPECT_EQ(run.supTitle, c.title);
        EXPECT_EQ(run.targetDir, c.target);
    }
}

TEST(StartupTest, PackageWithoutScriptLeavesTheScriptNameEmpty) {
    InstallerMachine m;
    m.MakePackage("C:\\DIST\\Setup1.res", {{"Splash1.bmp", "BM"}});
    m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
    EXPECT_EQ(StartOnly(m).scriptFileName, "");
}

TEST(StartupTest, CreatesTheNineWindowsHiddenInOrder) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\n");
    const StartedRun run = StartOnly(m);
    const std::vector<std::string> expected = {"TMain",     "TMakeSure",  "TSelectDirectory", "TInformations", "TCopying",
                                               "TMessageR", "TRestartME", "TFinish",          "TGrupa"};
    EXPECT_EQ(run.forms, expected);
    EXPECT_FALSE(run.anyVisible);
    EXPECT_TRUE(m.machine.ui.Events().empty());
}

TEST(StartupTest, EachRunStartsFromAFreshScript) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\nTitle=Original\r\n");
    EXPECT_EQ(StartOnly(m).subTitle, "Original");
    // An earlier run wrote into its copy of the script.
    m.Write("C:\\WINDOWS\\TEMP\\Setup.lst", "[Application]\r\nTitle=Changed\r\nGroup=Old\r\n");
    EXPECT_EQ(StartOnly(m).subTitle, "Original");
    EXPECT_EQ(m.Read("C:\\WINDOWS\\TEMP\\Setup.lst"), "[Application]\r\nTitle=Original\r\n");
}

TEST(StartupTest, MissingOrUnreadablePackageShowsOnlyTheMessage) {
    struct Case {
        const char* name;
        std::function<void(InstallerMachine&)> prepare;
    };
    const Case cases[] = {
        {"no package", [](InstallerMachine&) {}},
        {"damaged package", [](InstallerMachine& m) { m.Write("C:\\DIST\\Setup1.res", "not a package"); }},
        {"package is a directory",
         [](InstallerMachine& m) { m.machine.files.CreateDirectory("C:\\DIST\\Setup1.res"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        m.machine.files.CreateDirectory("C:\\DIST");
        m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
        c.prepare(m);
        m.machine.ui.AddStep(Step::Answer(platform::kIdOk));
        const RunOutcome outcome = m.RunInstaller();
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.where, "TMain.FormCreate");
        const auto& events = m.machine.ui.Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, Event::Kind::MessageBox);
        EXPECT_EQ(events[0].text, Cp1250(u8"Brak plików w pakiecie instalacyjnym !"));
        EXPECT_EQ(events[0].caption, "Kalamarz s.c. Instalator");
        EXPECT_EQ(events[0].style, platform::kMbOk);
        EXPECT_EQ(m.machine.ui.ApplicationTitle(), "Kalamarz s.c. Instalator");
    }
}

TEST(StartupTest, TimerIsArmedOnlyWhenStartUpSucceeded) {
    for (const bool withPackage : {false, true}) {
        SCOPED_TRACE(withPackage);
        InstallerMachine m;
        m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
        if (withPackage) {
            m.PrepareInstaller("[Application]\r\n");
        } else {
            m.machine.ui.AddStep(Step::Answer(platform::kIdOk));
        }
        bool armed = !withPackage;
        m.machine.Run([&](platform::Platform& platform) {
            Installer run(platform);
            run.Windows.Main = std::make_unique<TMain>(run);
            try {
                run.App.CreateForm(*run.Windows.Main);
            } catch (const platform::InstallerEnded&) {
                armed = run.Windows.Main->Timer1.Enabled();
                throw;
            }
            armed = run.Windows.Main->Timer1.Enabled();
            return 0;
        });
        EXPECT_EQ(armed, withPackage);
    }
}

TEST(StartupTest, MainWindowAppearsMaximisedAndTheRunEndsWithCodeZero) {
    InstallerMachine m;
    m.PrepareInstaller("[Application]\r\nTitle=Quill 2000\r\n");
    // The first tick starts the installation; the user leaves it at the welcome.
    m.machine.ui.AddSteps({Step::Click("TMakeSure", "BitBtn1"), Step::Answer(platform::kIdYes)});
    const RunOutcome outcome = m.RunInstaller();
    EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
    EXPECT_EQ(outcome.exitCode, 0);

    const auto shown = m.machine.ui.EventsOf(Event::Kind::Shown);
    ASSERT_EQ(shown.size(), 1u);
    const platform::FormSnapshot& main = shown[0]->form;
    EXPECT_EQ(main.name, "TMain");
    EXPECT_EQ(main.caption, "Main");
    EXPECT_EQ(main.bounds, (platform::Rect{0, 0, 800, 600}));
    EXPECT_EQ(main.Control("SubTitle").text, "Quill 2000");
    EXPECT_EQ(main.Control("SubTitle").bounds, (platform::Rect{12, 8, 537, 41}));
    EXPECT_EQ(main.Control("SupTitle").bounds, (platform::Rect{14, 10, 507, 45}));
    EXPECT_EQ(main.Control("MakerInfo1").text, CreditText());
    EXPECT_EQ(m.machine.ui.EventsOf(Event::Kind::ShownModal).size(), 1u);
    EXPECT_EQ(m.machine.ui.EventsOf(Event::Kind::MessageBox).size(), 1u);

    // The background is the blue fill: full blue on top, black odd rows.
    const platform::PixelCanvas* frame = m.machine.ui.LastFrame("TMain");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Pixel(100, 0), (platform::Color{0, 0, 255}));
    EXPECT_EQ(frame->Pixel(100, 1), (platform::Color{0, 0, 0}));
}

TEST(StartupTest, CreditLabelsStand40PixelsAboveTheBottom) {
    struct Case {
        int screenHeight;
        int top1;
        int top2;
    };
    for (const Case& c : {Case{600, 512, 513}, Case{768, 680, 681}, Case{480, 392, 393}}) {
        SCOPED_TRACE(c.screenHeight);
        InstallerMachine m;
        m.PrepareInstaller("[Application]\r\n");
        m.machine.ui.SetScreenSize({1024, c.screenHeight});
        m.machine.ui.AddSteps({Step::Click("TMakeSure", "BitBtn1"), Step::Answer(platform::kIdYes)});
        m.RunInstaller();
        const platform::FormSnapshot& main = m.machine.ui.EventsOf(Event::Kind::Shown).at(0)->form;
        // Two lines of the 19-pixel bold font are 48 pixels high here.
        const platform::ControlSnapshot& info1 = main.Control("MakerInfo1");
        const platform::ControlSnapshot& info2 = main.Control("MakerInfo2");
        EXPECT_EQ(info1.bounds.height, 48);
        EXPECT_EQ(info1.bounds.left, 15);
        EXPECT_EQ(info1.bounds.top, c.top1);
        EXPECT_EQ(info2.bounds.left, 16);
        EXPECT_EQ(info2.bounds.top, c.top2);
    }
}

}  // namespace
}  // namespace instalator::core
