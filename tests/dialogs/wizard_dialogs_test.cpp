// The dialogs' behaviour on the headless machine, each dialog shown on its own over
// freshly started windows: the target directory's checks, creation and browsing, the
// group list, and the restart and finish buttons.

#include <gtest/gtest.h>

#include <algorithm>

#include "profile/reg_ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/main_form.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::dialogs {
namespace {

using common::Cp1250;
using platform::Event;
using platform::kIdNo;
using platform::kIdOk;
using platform::kIdYes;
using platform::RunOutcome;
using platform::Step;
using testing::InstallerMachine;
using Names = std::vector<std::string>;

const std::string kCreateQuestion = Cp1250(u8"Wskazany katalog nie istnieje !. Czy chcesz go utworzyć ?");
const std::string kCreateError = Cp1250(
    u8"Błąd podczas próby utworzenia katalog. Podana nazwa jest nieprawidłowa lub katalog o podanej nazwie już "
    u8"istnieje");

// Shows the target-directory dialog once; the text it closed with.
std::string ChooseDirectory(InstallerMachine& m) {
    std::string chosen;
    testing::RunWithWindows(m, [&](core::Installer& run) {
        run.Windows.SelectDirectory->ShowModal();
        chosen = run.Windows.SelectDirectory->SelectedDir.Text();
    });
    return chosen;
}

TEST(SelectDirectoryTest, ConfirmingAddsTheBackslashAndCreatesOnRequest) {
    struct Case {
        const char* name;
        std::string script;
        std::vector<Step> steps;
        std::string chosen;
        Names boxes;
    };
    const Step install = Step::Click("TSelectDirectory", "BitBtn1");
    const Case cases[] = {
        {"no TargetDir: C:\\MyApp\\ is created", "[Application]\r\n", {install, Step::Answer(kIdYes)},
         "C:\\MyApp\\", {kCreateQuestion}},
        {"existing directory closes at once", "[Application]\r\nTargetDir=C:\\WINDOWS\r\n", {install},
         "C:\\WINDOWS\\", {}},
        {"a trailing backslash is not doubled", "[Application]\r\nTargetDir=C:\\WINDOWS\\\r\n", {install},
         "C:\\WINDOWS\\", {}},
        {"empty text is the current drive's root", "[Application]\r\nTargetDir=\r\n", {install}, "\\", {}},
        {"No keeps the dialog open",
         "[Application]\r\nTargetDir=C:\\A\\B\r\n",
         {install, Step::Answer(kIdNo), Step::Type("TSelectDirectory", "SelectedDir", "C:\\WINDOWS"), install},
         "C:\\WINDOWS\\",
         {kCreateQuestion}},
        {"Enter in the field asks like the button", "[Application]\r\nTargetDir=C:\\A\\B\r\n",
         {Step::Key("TSelectDirectory", "SelectedDir", '\r'), Step::Answer(kIdYes)}, "C:\\A\\B\\", {kCreateQuestion}},
        {"Enter at once presses Instaluj", "[Application]\r\nTargetDir=C:\\WINDOWS\r\n",
         {Step::Enter("TSelectDirectory")}, "C:\\WINDOWS\\", {}},
        {"a directory that cannot be made",
         "[Application]\r\nTargetDir=Q:\\X\r\n",
         {install, Step::Answer(kIdYes), Step::Answer(kIdOk), Step::Type("TSelectDirectory", "SelectedDir", "C:\\"),
          install},
         "C:\\",
         {kCreateQuestion, kCreateError}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareWizard(m, c.script);
        for (const Step& step : c.steps) m.machine.ui.AddStep(step);
        EXPECT_EQ(ChooseDirectory(m), c.chosen);
        EXPECT_EQ(testing::BoxTexts(m.machine.ui), c.boxes);
        EXPECT_TRUE(m.machine.files.DirectoryExists(c.chosen));
    }
}

TEST(SelectDirectoryTest, CreationBoxesCarryTheirCaptions) {
    InstallerMachine m;
    testing::PrepareWizard(m, "[Application]\r\nTargetDir=A:\\X\\\r\n");
    m.Write("A:\\X", "a file in the way");
    m.machine.ui.AddSteps({Step::Click("TSelectDirectory", "BitBtn1"), Step::Answer(kIdYes), Step::Answer(kIdOk),
                           Step::Click("TSelectDirectory", "BitBtn2"), Step::Answer(kIdYes)});
    const RunOutcome outcome = testing::RunWithWindows(m, [](core::Installer& run) {
        run.Windows.SelectDirectory->ShowModal();
    });
    EXPECT_EQ(outcome.where, "TSelectDirectory.BitBtn2Click");
    const auto boxes = m.machine.ui.EventsOf(Event::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0]->caption, "Instalator");
    EXPECT_EQ(boxes[0]->style, platform::kMbYesNo);
    EXPECT_EQ(boxes[1]->text, kCreateError);
    EXPECT_EQ(boxes[1]->caption, "Kalamarz s.c. Instalator");
    EXPECT_EQ(boxes[1]->style, platform::kMbOk);
    EXPECT_EQ(boxes[2]->caption, Cp1250(u8"Zakończ instalację"));
}

TEST(SelectDirectoryTest, BrowsingAppendsTheProductFolderOrLeavesTheText) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> chosen;  // nothing: cancelled
        std::string start;
        std::string after;
    };
    const Case cases[] = {
        {"cancel leaves the text", "C:\\WINDOWS", std::nullopt, "C:\\WINDOWS", "C:\\WINDOWS"},
        {"a drive root", "C:\\WINDOWS", "C:\\", "C:\\WINDOWS", "C:\\Quill07\\"},
        {"a folder without a backslash", "", "C:\\Programy", "\\", "C:\\Programy\\Quill07\\"},
        {"a missing start folder starts at the root", "C:\\NOPE", "A:\\", "\\", "A:\\Quill07\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareWizard(m, "[Application]\r\n");
        m.machine.ui.AddSteps({Step::Type("TSelectDirectory", "SelectedDir", c.text),
                               Step::Browse("TSelectDirectory", "SelectedDir"),
                               c.chosen ? Step::ChooseFolder(*c.chosen) : Step::CancelFolder(),
                               Step::Click("TSelectDirectory", "BitBtn2"), Step::Answer(kIdYes)});
        std::string after;
        testing::RunWithWindows(m, [&](core::Installer& run) {
            try {
                run.Windows.SelectDirectory->ShowModal();
            } catch (const platform::InstallerEnded&) {
                after = run.Windows.SelectDirectory->SelectedDir.Text();
                throw;
            }
        });
        const auto browsers = m.machine.ui.EventsOf(Event::Kind::FolderBrowser);
        ASSERT_EQ(browsers.size(), 1u);
        EXPECT_EQ(browsers[0]->text, c.start);
        EXPECT_EQ(after, c.after);
    }
}

TEST(SelectDirectoryTest, ExistenceTestRestoresTheCurrentDirectory) {
    InstallerMachine m;
    m.machine.files.CreateDirectory("C:\\WINDOWS\\SYSTEM");
    ASSERT_TRUE(m.machine.system.SetCurrentDirectory("C:\\WINDOWS"));
    EXPECT_TRUE(IsExistingDirectory(m.machine.system, "SYSTEM"));
    EXPECT_TRUE(IsExistingDirectory(m.machine.system, "\\"));
    EXPECT_FALSE(IsExistingDirectory(m.machine.system, "C:\\NOPE\\"));
    EXPECT_FALSE(IsExistingDirectory(m.machine.system, "C:\\DIST\\SETUP.EXE"));
    EXPECT_EQ(m.machine.system.CurrentDirectory(), "C:\\WINDOWS");
}

TEST(GrupaTest, ListsOnlyPlainGroupFolders) {
    struct Case {
        const char* name;
        std::string programs;
        Names listed;
    };
    const Case cases[] = {
        {"the Programs folder", "C:\\MENU", {"Biuro", Cp1250(u8"Gry i zabawy")}},
        {"no Programs value lists the current drive's root", "", {"DIST", "MENU", "PACKSRC", "WINDOWS"}},
        {"a missing folder lists nothing", "C:\\NOPE", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareWizard(m, "[Application]\r\n");
        for (const char* dir : {"C:\\MENU\\Biuro\\", "C:\\MENU\\.ukryty\\", "C:\\MENU\\Tylko do odczytu\\"}) {
            platform::MakePath(m.machine.files, dir);
        }
        platform::MakePath(m.machine.files, Cp1250(u8"C:\\MENU\\Gry i zabawy\\"));
        m.machine.files.SetAttributes("C:\\MENU\\Tylko do odczytu", 0x11);
        m.Write("C:\\MENU\\czytaj.txt", "plik");
        if (!c.programs.empty()) {
            profile::TRegIniFile(m.machine.registry, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer")
                .WriteText("Shell Folders", "Programs", c.programs);
        }
        m.machine.ui.AddStep(Step::Click("TGrupa", "BitBtn1"));
        std::string text;
        testing::RunWithWindows(m, [&](core::Installer& run) {
            run.Windows.Grupa->GRP.SetText("Kalamarz");
            run.Windows.Grupa->ShowModal();
            text = run.Windows.Grupa->GRP.Text();
        });
        Names listed = m.machine.ui.EventsOf(Event::Kind::ShownModal).at(0)->form.Control("GRP").items;
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(text, "Kalamarz");
    }
}

// The closing dialogs: what the buttons ask of the shell, and where the run ends.
TEST(ClosingDialogsTest, RestartAndStartFollowTheirBoxes) {
    struct Case {
        const char* name;
        std::string shell;  // [Application] Shell
        bool untickRestart;
        bool tickStart;
        int restarts;
        std::string started;  // empty: nothing started
    };
    const Case cases[] = {
        {"defaults: restart, no start", "App.exe", false, false, 1, ""},
        {"neither", "App.exe", true, false, 0, ""},
        {"start the program", "App.exe", true, true, 0, "C:\\APP\\App.exe"},
        {"program in a sub-folder", "bin\\app.exe", false, true, 1, "C:\\APP\\bin\\app.exe"},
        {"Shell names a directory", "bin", true, true, 0, ""},
        {"empty Shell", "", true, true, 0, ""},
        {"missing program", "Brak.exe", true, true, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallerMachine m;
        testing::PrepareWizard(m, "[Application]\r\nTargetDir=C:\\APP\r\nShell=" + c.shell + "\r\n");
        m.Write("C:\\APP\\App.exe", "program");
        m.Write("C:\\APP\\bin\\app.exe", "program");
        if (c.untickRestart) {
            m.machine.ui.AddSteps({Step::Click("TRestartME", "DoRestart"), Step::Click("TRestartME", "BitBtn2")});
        } else {
            m.machine.ui.AddStep(Step::Enter("TRestartME"));  // the button has the focus
        }
        if (c.tickStart) m.machine.ui.AddStep(Step::Click("TFinish", "DoStart"));
        m.machine.ui.AddStep(Step::Click("TFinish", "BitBtn2"));
        const platform::Form* main = nullptr;
        const RunOutcome outcome = testing::RunWithWindows(m, [&](core::Installer& run) {
            main = run.Windows.Main.get();
            run.State.TargetDir = "C:\\APP\\";
            run.Windows.RestartME->ShowModal();
            run.Windows.Finish->ShowModal();
        });
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.where, "TFinish.BitBtn2Click");
        EXPECT_EQ(m.machine.shell.Restarts(), c.restarts);
        const auto& starts = m.machine.shell.Starts();
        ASSERT_EQ(starts.size(), c.started.empty() ? 0u : 1u);
        if (!c.started.empty()) {
            EXPECT_EQ(starts[0].owner, main);
            EXPECT_EQ(starts[0].file, c.started);
            EXPECT_EQ(starts[0].parameters, "");
            EXPECT_EQ(starts[0].directory, "c:\\");
            EXPECT_EQ(starts[0].showCommand, 1);
        }
    }
}

}  // namespace
}  // namespace instalator::dialogs
