// The installation sequence on the headless machine: the order of the dialogs, the
// placement of the picture and copy windows, the free-space check and every way the
// run ends before, during and after the file pass.

#include <gtest/gtest.h>

#include "profile/reg_ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "setup/sequence.hpp"
#include "support/wizard_machine.hpp"

namespace instalator::setup {
namespace {

using common::Cp1250;
using platform::Event;
using platform::kIdNo;
using platform::kIdOk;
using platform::kIdYes;
using platform::Rect;
using platform::RunOutcome;
using platform::Step;
using testing::InstallerMachine;
using Names = std::vector<std::string>;

const std::string kSpaceQuestion =
    Cp1250(u8"Na Twoim dysku jest niestety za mało wolnego miejsca. Kontunuuować  instalację programu ?");
const std::string kScript = "[Application]\r\nTitle=Pióro\r\nTargetDir=C:\\APP\r\n";

// Through the welcome, directory and group dialogs with their first buttons.
std::vector<Step> ThroughDialogs() {
    return {Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
            Step::Click("TGrupa", "BitBtn1")};
}

struct Wizard {
    InstallerMachine m;

    explicit Wizard(const std::string& script = kScript, bool splash1 = true, bool setup2 = true,
                    const std::map<std::string, std::string>& more = {}) {
        testing::PrepareWizard(m, script, splash1, setup2, more);
        m.machine.files.CreateDirectory("C:\\APP");
    }
    void Steps(const std::vector<Step>& steps) {
        for (const Step& step : steps) m.machine.ui.AddStep(step);
    }
    RunOutcome Run() { return m.RunInstaller(); }
    const platform::HeadlessUi& Ui() const { return m.machine.ui; }
};

TEST(PlacementTest, FollowsTheMainWindowWithHalvesToEven) {
    struct Case {
        Rect main;
        int pictureTop;
        int copyWidth;
        int copyLeft;
        int copyTop;
    };
    const Case cases[] = {
        {{0, 0, 1024, 768}, 128, 579, 222, 768 - 150 - 96},  // 445 / 2 = 222.5 -> 222
        {{0, 0, 1024, 768}, 128, 577, 224, 768 - 150 - 96},  // 447 / 2 = 223.5 -> 224
        {{0, 0, 800, 600}, 100, 356, 222, 600 - 150 - 75},
        {{0, 0, 800, 603}, 100, 355, 222, 603 - 150 - 75},  // 100.5 -> 100; 75.375 -> 75
        {{0, 0, 800, 609}, 102, 357, 222, 609 - 150 - 76},  // 101.5 -> 102; 76.125 -> 76
        {{30, 40, 800, 604}, 40 + 101, 356, 222, 604 - 150 - 76},  // 75.5 -> 76; position ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.main.height);
        EXPECT_EQ(PictureWindowPlace(c.main, 400, 261), (Rect{c.main.left + 8, c.pictureTop, 400, 261}));
        EXPECT_EQ(CopyWindowPlace(c.main, c.copyWidth, 150), (Rect{c.copyLeft, c.copyTop, c.copyWidth, 150}));
    }
}

TEST(SpaceIsShortTest, ComparesWithTheMarginIn64Bits) {
    EXPECT_TRUE(SpaceIsShort(std::nullopt, 0));
    EXPECT_TRUE(SpaceIsShort(999999, 0));
    EXPECT_FALSE(SpaceIsShort(1000000, 0));
    EXPECT_TRUE(SpaceIsShort(-1, 0));
    // Requirements near the 32-bit limit do not wrap round.
    EXPECT_TRUE(SpaceIsShort(5000000, INT32_MAX));
    EXPECT_FALSE(SpaceIsShort(6LL << 30, INT32_MAX));
    EXPECT_FALSE(SpaceIsShort(3LL << 30, 2000000000));
}

TEST(SequenceTest, ShowsTheDialogsInOrderAndPlacesTheCopyWindows) {
    Wizard w;
    w.m.machine.ui.SetScreenSize({1024, 768});
    w.Steps(ThroughDialogs());
    w.Steps({Step::Click("TCopying", "Button1"), Step::Answer(kIdYes)});
    const RunOutcome outcome = w.Run();
    EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
    EXPECT_EQ(outcome.where, "TCopying.Button1Click");
    EXPECT_EQ(testing::ModalForms(w.Ui()), (Names{"TMakeSure", "TSelectDirectory", "TGrupa"}));
    EXPECT_EQ(testing::ShownForms(w.Ui()), (Names{"TMain", "TMessageR", "TInformations", "TCopying"}));
    EXPECT_EQ(testing::StatusTexts(w.Ui()),
              (Names{Cp1250(u8"Instalator sprawdza teraz, ilość wolnego miejsca na Twoim dysku ...")}));
    for (const Event* shown : w.Ui().EventsOf(Event::Kind::Shown)) {
        if (shown->form.name == "TInformations") {
            EXPECT_EQ(shown->form.bounds, (Rect{8, 128, 400, 261}));
        } else if (shown->form.name == "TCopying") {
            // 350 × 125 inside a 6 × 25 frame.
            EXPECT_EQ(shown->form.bounds, (Rect{334, 768 - 150 - 96, 356, 150}));
            EXPECT_EQ(shown->form.Control("NowCoping").text, "Setup.lst");
        }
    }
    EXPECT_EQ(testing::BoxTexts(w.Ui()), (Names{Cp1250(u8"Jesteś pewny, że chcesz przerwać instalację ?")}));
}

TEST(SequenceTest, WelcomeTextCarriesTheTitle) {
    struct Case {
        std::string script;
        std::string text;
    };
    const std::string second = Cp1250(u8"W celu rozpoczęcia instalacji wybierz przycisk \"Instaluj\"");
    const Case cases[] = {
        {"[Application]\r\nTitle=Pióro\r\n", "Witam w programie instalacyjnym aplikacji \"Pióro\" ! ." + second},
        {"[Application]\r\nTitle=\r\n", "Witam w programie instalacyjnym aplikacji \"\" ! ." + second},
        {"[Application]\r\n", "Witam w programie instalacyjnym aplikacji \"Quill07\" ! ." + second},
    };
    for (const Case& c : cases) {
        Wizard w(c.script);
        w.Steps({Step::Click("TMakeSure", "BitBtn1"), Step::Answer(kIdYes)});
        w.Run();
        EXPECT_EQ(w.Ui().EventsOf(Event::Kind::ShownModal).at(0)->form.Control("MakeInfo").text, c.text);
    }
}

// Every way the run ends before the file pass: where it ended, and that no later
// window appeared (unused script steps would fail the run).
TEST(SequenceTest, EveryAbortEndsWithNothingLaterShown) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::string where;
        Names modal;
        Names shown;
    };
    const Step welcome = Step::Click("TMakeSure", "SpeedButton1");
    const Step directory = Step::Click("TSelectDirectory", "BitBtn1");
    const Step group = Step::Click("TGrupa", "BitBtn1");
    const Case cases[] = {
        {"welcome declined, then Enter on the directory dialog",
         {Step::Click("TMakeSure", "BitBtn1"), Step::Answer(kIdNo), welcome, Step::Enter("TSelectDirectory"),
          Step::Click("TGrupa", "BitBtn2"), Step::Answer(kIdYes)},
         "TGrupa.BitBtn2Click",
         {"TMakeSure", "TSelectDirectory", "TGrupa"},
         {"TMain"}},
        {"directory, after Enter on the welcome dialog",
         {Step::Enter("TMakeSure"), Step::Click("TSelectDirectory", "BitBtn2"), Step::Answer(kIdYes)},
         "TSelectDirectory.BitBtn2Click",
         {"TMakeSure", "TSelectDirectory"},
         {"TMain"}},
        {"welcome at once",
         {Step::Click("TMakeSure", "BitBtn1"), Step::Answer(kIdYes)},
         "TMakeSure.BitBtn1Click",
         {"TMakeSure"},
         {"TMain"}},
        {"group", {welcome, directory, Step::Click("TGrupa", "BitBtn2"), Step::Answer(kIdYes)},
         "TGrupa.BitBtn2Click", {"TMakeSure", "TSelectDirectory", "TGrupa"}, {"TMain"}},
        {"group abort declined",
         {welcome, directory, Step::Click("TGrupa", "BitBtn2"), Step::Answer(kIdNo), Step::Close("TGrupa"),
          Step::Click("TCopying", "Button1"), Step::Answer(kIdYes)},
         "TCopying.Button1Click",
         {"TMakeSure", "TSelectDirectory", "TGrupa"},
         {"TMain", "TMessageR", "TInformations", "TCopying"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wizard w;
        w.Steps(c.steps);
        const RunOutcome outcome = w.Run();
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.where, c.where);
        EXPECT_EQ(testing::ModalForms(w.Ui()), c.modal);
        EXPECT_EQ(testing::ShownForms(w.Ui()), c.shown);
    }
}

// The free-space check: which questions are asked, and where a No ends the run.
TEST(SequenceTest, FreeSpaceQuestions) {
    struct Case {
        const char* name;
        std::string target;  // typed into the directory dialog
        std::optional<std::int64_t> freeC;
        std::optional<std::int64_t> freeD;
        std::int32_t prg;
        std::int32_t win;
        std::vector<int> answers;  // one per question expected
        bool ends;                 // the last answer ends the run
    };
    const Case cases[] = {
        {"enough on the system drive", "C:\\APP\\", 1800001, 0, 400000, 400000, {}, false},
        {"sum short on the system drive", "C:\\APP\\", 1799999, 0, 400000, 400000, {kIdYes}, false},
        {"lower-case letter checks each figure", "c:\\app\\", 1500000, 0, 400000, 400000, {}, false},
        {"lower-case letter, both short", "c:\\app\\", 1300000, 0, 400000, 400000, {kIdYes, kIdYes}, false},
        {"both keys 0, just enough", "C:\\APP\\", 1000000, 0, 0, 0, {}, false},
        {"both keys 0, one byte short", "C:\\APP\\", 999999, 0, 0, 0, {kIdNo}, true},
        {"failed query is always short", "C:\\APP\\", std::nullopt, 0, 0, 0, {kIdYes}, false},
        {"other drive: system fine, target short", "D:\\APP\\", 5000000, 1000000, 1, 0, {kIdNo}, true},
        {"other drive: Yes then No", "D:\\APP\\", 0, 0, 0, 0, {kIdYes, kIdNo}, true},
        {"other drive fails its query", "D:\\APP\\", 5000000, std::nullopt, 0, 0, {kIdYes}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wizard w("[Application]\r\nPrgSpace=" + std::to_string(c.prg) + "\r\nWinSpace=" + std::to_string(c.win) +
                 "\r\n");
        const auto drive = w.m.scratch.path() / "D";
        std::filesystem::create_directories(drive);
        w.m.machine.files.MapDrive('D', drive);
        w.m.machine.files.CreateDirectory("D:\\APP");
        w.m.machine.system.SetFreeDiskSpace('C', c.freeC);
        w.m.machine.system.SetFreeDiskSpace('D', c.freeD);
        w.Steps({Step::Click("TMakeSure", "SpeedButton1"), Step::Type("TSelectDirectory", "SelectedDir", c.target),
                 Step::Click("TSelectDirectory", "BitBtn1"), Step::Click("TGrupa", "BitBtn1")});
        for (const int answer : c.answers) w.Steps({Step::Answer(answer)});
        if (!c.ends) w.Steps({Step::Click("TCopying", "Button1"), Step::Answer(kIdYes)});
        const RunOutcome outcome = w.Run();
        EXPECT_EQ(outcome.where, c.ends ? "TMain.Timer1Timer" : "TCopying.Button1Click");
        const auto boxes = w.Ui().EventsOf(Event::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), c.answers.size() + (c.ends ? 0 : 1));
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(boxes[i]->text, kSpaceQuestion);
            EXPECT_EQ(boxes[i]->caption, "Quill07");
            EXPECT_EQ(boxes[i]->style, platform::kMbYesNo);
        }
        const Names shown = testing::ShownForms(w.Ui());
        EXPECT_EQ(std::count(shown.begin(), shown.end(), "TCopying"), c.ends ? 0 : 1);
    }
}

// The group dialog's text goes back into the script only when it is not empty.
TEST(SequenceTest, GroupIsWrittenBackWhenNotEmpty) {
    struct Case {
        const char* name;
        std::string scriptGroup;  // empty: no Group key
        std::optional<std::string> typed;
        std::string shown;
        std::string written;
    };
    const Case cases[] = {
        {"script value kept", "Kalamarz", std::nullopt, "Kalamarz", "Kalamarz"},
        {"typed name written", "Kalamarz", Cp1250(u8"Narzędzia"), "Kalamarz", Cp1250(u8"Narzędzia")},
        {"cleared keeps the script value", "Kalamarz", "", "Kalamarz", "Kalamarz"},
        {"no key, nothing typed", "", std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string script = "[Application]\r\nTargetDir=C:\\APP\r\n";
        if (!c.scriptGroup.empty()) script += "Group=" + c.scriptGroup + "\r\n";
        Wizard w(script);
        w.m.machine.system.SetFreeDiskSpace('C', 0);
        w.Steps({Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1")});
        if (c.typed) w.Steps({Step::Type("TGrupa", "GRP", *c.typed)});
        w.Steps({Step::Close("TGrupa"), Step::Answer(kIdNo)});
        w.Run();
        EXPECT_EQ(w.Ui().EventsOf(Event::Kind::ShownModal).at(2)->form.Control("GRP").text, c.shown);
        profile::TIniFile written(w.m.machine.files, "C:\\WINDOWS\\TEMP\\Setup.lst");
        EXPECT_EQ(written.ReadText("Application", "Group", ""), c.written);
    }
}

// A missing picture leaves the sequence at its step through the default error box.
TEST(SequenceTest, MissingPictureEndsThroughTheErrorBox) {
    struct Case {
        const char* name;
        bool splash1;
        Names shown;
    };
    const Case cases[] = {
        {"no Splash1.bmp", false, {"TMain", "TMessageR"}},
        {"no setup2.bmp", true, {"TMain", "TMessageR", "TInformations", "TCopying"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wizard w(kScript, c.splash1, !c.splash1);
        w.Steps(ThroughDialogs());
        w.Steps({Step::Answer(kIdOk)});
        const RunOutcome outcome = w.Run();
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.where, "TMain.Timer1Timer");
        EXPECT_EQ(testing::ShownForms(w.Ui()), c.shown);
        const auto boxes = w.Ui().EventsOf(Event::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]->caption, "Kalamarz s.c. Instalator");
        EXPECT_EQ(boxes[0]->style, platform::kMbOk | platform::kMbIconStop);
    }
}

// A script copy that cannot take the chosen group ends the run at the group step
// through the default error box, before anything is copied.
TEST(SequenceTest, AFailedGroupWriteEndsThroughTheErrorBox) {
    Wizard w("[Application]\r\nTargetDir=C:\\NEW\r\nGroup=Kalamarz\r\n");
    const std::string scriptCopy = "C:\\WINDOWS\\TEMP\\Setup.lst";
    w.Steps({Step::Click("TMakeSure", "SpeedButton1"), Step::Click("TSelectDirectory", "BitBtn1"),
             Step::Answer(kIdYes, [&w, &scriptCopy] { w.m.machine.files.Lock(scriptCopy); }),
             Step::Type("TGrupa", "GRP", "Akcesoria"), Step::Click("TGrupa", "BitBtn1"), Step::Answer(kIdOk)});
    const RunOutcome outcome = w.Run();
    EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
    EXPECT_EQ(outcome.where, "TMain.Timer1Timer");
    EXPECT_EQ(testing::ModalForms(w.Ui()), (Names{"TMakeSure", "TSelectDirectory", "TGrupa"}));
    EXPECT_EQ(testing::ShownForms(w.Ui()), (Names{"TMain"}));
    w.m.machine.files.Unlock(scriptCopy);
    EXPECT_EQ(profile::TIniFile(w.m.machine.files, scriptCopy).ReadText("Application", "Group", ""), "Kalamarz");
    const auto boxes = w.Ui().EventsOf(Event::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 2u);  // the creation question, then the error
    EXPECT_EQ(boxes[1]->text, "Unable to write to " + scriptCopy + ".");
    EXPECT_EQ(boxes[1]->style, platform::kMbOk | platform::kMbIconStop);
    EXPECT_TRUE(w.m.machine.files.DirectoryExists("C:\\NEW"));
}

// Giving up on a missing volume ends the run inside the file pass: the copy windows
// stay up and nothing after the pass runs.
TEST(SequenceTest, GivingUpOnAMissingVolumeEndsInTheFilePass) {
    Wizard w("[Application]\r\nTargetDir=C:\\APP\r\n[Resources]\r\nCount=1\r\nItem1=Setup2.res\r\n");
    w.Steps(ThroughDialogs());
    w.Steps({Step::Answer(platform::kIdCancel), Step::Answer(kIdYes), Step::Answer(kIdOk)});
    const RunOutcome outcome = w.Run();
    EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
    EXPECT_EQ(outcome.where, "TMain.Timer1Timer");
    EXPECT_EQ(testing::ModalForms(w.Ui()), (Names{"TMakeSure", "TSelectDirectory", "TGrupa"}));
    EXPECT_EQ(testing::ShownForms(w.Ui()), (Names{"TMain", "TMessageR", "TInformations", "TCopying"}));
    for (const Event* hidden : w.Ui().EventsOf(Event::Kind::Hidden)) EXPECT_NE(hidden->form.name, "TCopying");
}

// A product of one program installed from start to end: the file pass, the optional
// registration and icon steps, and the final dialog starting the program.
TEST(SequenceTest, WholeRunsFromWelcomeToFinish) {
    struct Case {
        const char* name;
        std::string extra;  // script lines
        Names statuses;
        std::size_t links;
    };
    const std::string space = Cp1250(u8"Instalator sprawdza teraz, ilość wolnego miejsca na Twoim dysku ...");
    const Case cases[] = {
        {"with a shortcut", "Item1Shell=1\r\nItem1Link=Pioro.lnk\r\n", {space, "Instalator instaluje ikony ..."}, 2},
        {"Uninstall without shortcuts", "", {space}, 0},
        {"InstallReg Count -1", "[InstallReg]\r\nCount=-1\r\n",
         {space, "Instalator uaktualnia elementy rejestru..."}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string script =
            "[Application]\r\nTitle=Pioro\r\nTargetDir=C:\\APP\r\nGroup=Kalamarz\r\nShell=App.exe\r\n"
            "Uninstall=Odinstaluj.exe\r\n[Resources]\r\nCount=1\r\nItem1=Setup1.res\r\n"
            "[Setup1.res]\r\nCount=2\r\nItem1=App.exe\r\nItem2=Odinstaluj.exe\r\n" +
            c.extra;
        Wizard w(script, true, true, {{"App.exe", "program"}, {"Odinstaluj.exe", "uninstaller"}});
        platform::MakePath(w.m.machine.files, "C:\\MENU\\");
        profile::TRegIniFile(w.m.machine.registry, "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer")
            .WriteText("Shell Folders", "Programs", "C:\\MENU");
        w.Steps(ThroughDialogs());
        w.Steps({Step::Click("TFinish", "DoStart"), Step::Click("TFinish", "BitBtn2")});
        const RunOutcome outcome = w.Run();
        EXPECT_EQ(outcome.where, "TFinish.BitBtn2Click");
        EXPECT_EQ(w.m.Read("C:\\APP\\App.exe"), "program");
        EXPECT_EQ(testing::ModalForms(w.Ui()), (Names{"TMakeSure", "TSelectDirectory", "TGrupa", "TFinish"}));
        EXPECT_EQ(testing::StatusTexts(w.Ui()), c.statuses);
        EXPECT_EQ(w.m.machine.shell.Links().size(), c.links);
        EXPECT_TRUE(w.m.machine.shell.Registrations().empty());
        ASSERT_EQ(w.m.machine.shell.Starts().size(), 1u);
        EXPECT_EQ(w.m.machine.shell.Starts()[0].file, "C:\\APP\\App.exe");
        // The copy window closes, then the picture window, before anything later is shown.
        std::vector<std::string> order;
        for (const Event& event : w.Ui().Events()) {
            if (event.kind == Event::Kind::Hidden && event.form.name != "TMessageR") order.push_back(event.form.name);
            if (event.kind == Event::Kind::Shown && event.form.name == "TMessageR") order.push_back("status");
        }
        Names expected{"TMakeSure", "TSelectDirectory", "TGrupa", "status", "TCopying", "TInformations"};
        if (c.statuses.size() == 2) expected.push_back("status");
        EXPECT_EQ(order, expected);
    }
}

}  // namespace
}  // namespace instalator::setup

namespace instalator::setup {
namespace {

const std::string kProduct =
    "[Application]\r\nTitle=Pioro\r\nTargetDir=C:\\APP\r\nGroup=Kalamarz\r\nUninstall=Odinstaluj.exe\r\n"
    "[Resources]\r\nCount=1\r\nItem1=Setup1.res\r\n"
    "[Setup1.res]\r\nCount=1\r\nItem1=App.exe\r\nItem1Shell=1\r\nItem1Link=Pioro.lnk\r\n";

// A close request to the main window (the taskbar, a session end, another program)
// ends the message loop wherever the run is waiting, and the process with it:
// nothing later runs, so nothing is installed.
TEST(SequenceTest, ACloseRequestToTheMainWindowEndsTheRunWithNothingInstalled) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        Names modal;
    };
    const Step welcome = Step::Click("TMakeSure", "SpeedButton1");
    const Step directory = Step::Click("TSelectDirectory", "BitBtn1");
    const Step group = Step::Click("TGrupa", "BitBtn1");
    const Step close = Step::Close("TMain");
    const Case cases[] = {
        {"welcome", {close.During("TMakeSure")}, {"TMakeSure"}},
        {"target directory", {welcome, close.During("TSelectDirectory")}, {"TMakeSure", "TSelectDirectory"}},
        {"program group", {welcome, directory, close.During("TGrupa")}, {"TMakeSure", "TSelectDirectory", "TGrupa"}},
        {"copy window shown", {welcome, directory, group, close.During("TCopying")},
         {"TMakeSure", "TSelectDirectory", "TGrupa"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wizard w(kProduct, true, true, {{"App.exe", "program"}});
        w.Steps(c.steps);
        const RunOutcome outcome = w.Run();
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(testing::ModalForms(w.Ui()), c.modal);
        EXPECT_FALSE(w.m.machine.files.FileExists("C:\\APP\\App.exe"));
        EXPECT_FALSE(w.m.machine.files.FileExists("C:\\APP\\Setup.uni"));
        EXPECT_FALSE(w.m.machine.files.FileExists("C:\\APPSetup.uni"));
        EXPECT_TRUE(w.m.machine.shell.Links().empty());
        EXPECT_EQ(w.m.machine.registry.Dump().find("Uninstall"), std::string::npos);
    }
}

// The wizard's dialogs other than the group dialog have no close button: a close
// request leaves them up, and the run goes on only through their buttons, into the
// directory that was confirmed.
TEST(SequenceTest, DialogsWithoutACloseButtonIgnoreCloseRequests) {
    Wizard w(kProduct, true, true, {{"App.exe", "program"}});
    platform::MakePath(w.m.machine.files, "C:\\MENU\\");
    profile::TRegIniFile(w.m.machine.registry, "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer")
        .WriteText("Shell Folders", "Programs", "C:\\MENU");
    w.Steps({Step::Close("TMakeSure").During("TMakeSure"), Step::Close("TFinish"), Step::Click("TMakeSure", "SpeedButton1"),
             Step::Type("TSelectDirectory", "SelectedDir", "Q:\\Brak\\Dysku"), Step::Close("TSelectDirectory"),
             Step::Type("TSelectDirectory", "SelectedDir", "C:\\APP"), Step::Click("TSelectDirectory", "BitBtn1"),
             Step::Click("TGrupa", "BitBtn1"), Step::Close("TCopying"), Step::Close("TFinish"),
             Step::Click("TFinish", "BitBtn2")});
    const RunOutcome outcome = w.Run();
    EXPECT_EQ(outcome.where, "TFinish.BitBtn2Click");
    EXPECT_EQ(testing::ModalForms(w.Ui()), (Names{"TMakeSure", "TSelectDirectory", "TGrupa", "TFinish"}));
    EXPECT_EQ(w.m.Read("C:\\APP\\App.exe"), "program");
    EXPECT_TRUE(w.m.machine.files.FileExists("C:\\APP\\Setup.uni"));
}

}  // namespace
}  // namespace instalator::setup
