// The form toolkit on the headless backend: scripted interactions, the default error
// box, the message loop and what gets recorded.

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/text.hpp"
#include "platform/forms.hpp"
#include "platform/headless/machine.hpp"

namespace instalator::platform {
namespace {

using common::Cp1250;

class TTest final : public Form {
public:
    explicit TTest(Application& app)
        : Form(app, "TTest"),
          Box(*this, "Box", {0, 0, 300, 120}),
          Ok(Box, "Ok", {8, 16, 80, 25}),
          Name(Box, "Name", {8, 48, 200, 21}),
          Folder(Box, "Folder", {8, 80, 200, 21}),
          Check(*this, "Check", {8, 130, 100, 17}),
          Cancel(*this, "Cancel", {8, 160, 80, 25}),
          Tick(*this, "Tick") {
        SetCaption("Test");
        SetBorder(BorderStyle::Dialog);
        SetPosition(FormPosition::ScreenCenter);
        SetClientSize(300, 200);
        Ok.SetModalResult(kModalOk);
        Cancel.OnClick = [this] {
            if (App().MessageBox("Na pewno ?", "Instalator", kMbYesNo) == kIdYes) SetModalResult(kModalCancel);
        };
        Tick.SetEnabled(false);
    }

    GroupBox Box;
    Button Ok;
    Edit Name;
    DirectoryEdit Folder;
    CheckBox Check;
    Button Cancel;
    Timer Tick;
};

// Runs body with one TTest created on the machine.
RunOutcome RunWithForm(HeadlessMachine& machine, const std::function<void(TTest&)>& body) {
    return machine.Run([&](Platform& platform) {
        Application app(platform.ui);
        app.SetTitle(Cp1250(u8"Tytuł aplikacji"));
        TTest form(app);
        app.CreateForm(form);
        body(form);
        return 0;
    });
}

TEST(ErrorBoxTextTest, AddsAFullStopAfterCharactersBeyondTheFullStop) {
    struct Case {
        std::string message;
        std::string shown;
    };
    const Case cases[] = {
        {"File not found", "File not found."},
        {"I/O error 32", "I/O error 32."},
        {"Done.", "Done."},
        {"Brak !", "Brak !"},
        {"trailing ", "trailing "},
        {"dash-", "dash-"},      // 0x2D comes before "."
        {"slash/", "slash/."},   // 0x2F comes after it
        {"", ""},
        {Cp1250(u8"Błąd zapisu pliku"), Cp1250(u8"Błąd zapisu pliku.")},
        {Cp1250(u8"Nie można utworzyć pliku ą"), Cp1250(u8"Nie można utworzyć pliku ą.")},  // byte 0xB9
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(ErrorBoxText(c.message), c.shown);
    }
}

TEST(HeadlessUiTest, ScriptedModalDialogIsAnsweredAndRecorded) {
    HeadlessMachine machine;
    machine.ui.AddSteps({Step::Type("TTest", "Name", "abc"), Step::Click("TTest", "Check"),
                         Step::Click("TTest", "Cancel"), Step::Answer(kIdNo), Step::Click("TTest", "Ok")});
    int result = 0;
    std::string typed;
    bool ticked = false;
    const RunOutcome outcome = RunWithForm(machine, [&](TTest& form) {
        result = form.ShowModal();
        typed = form.Name.Text();
        ticked = form.Check.Checked();
        EXPECT_FALSE(form.Visible());
    });
    EXPECT_EQ(outcome.end, RunOutcome::End::Returned);
    EXPECT_EQ(result, kModalOk);
    EXPECT_EQ(typed, "abc");
    EXPECT_TRUE(ticked);

    const auto& events = machine.ui.Events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0].kind, Event::Kind::ShownModal);
    EXPECT_EQ(events[0].form.caption, "Test");
    // Centred: (800 - (300 + 6)) / 2, (600 - (200 + 25)) / 2.
    EXPECT_EQ(events[0].form.bounds, (Rect{247, 187, 306, 225}));
    EXPECT_EQ(events[0].form.Control("Name").bounds, (Rect{8, 48, 200, 21}));
    EXPECT_EQ(events[4].kind, Event::Kind::MessageBox);
    EXPECT_EQ(events[4].text, "Na pewno ?");
    EXPECT_EQ(events[4].style, kMbYesNo);
    EXPECT_EQ(events[4].answer, kIdNo);
    EXPECT_EQ(events[5].kind, Event::Kind::Action);
    EXPECT_EQ(events[5].text, "Click TTest.Ok");
    EXPECT_EQ(events[6].kind, Event::Kind::Hidden);
    EXPECT_EQ(machine.ui.ApplicationTitle(), Cp1250(u8"Tytuł aplikacji"));
}

TEST(HeadlessUiTest, UnforeseenInteractionsFailTheRunClearly) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        const char* expected;
    };
    const Case cases[] = {
        {"modal window without steps", {}, "modal window TTest (\"Test\") waits for the user"},
        {"box where a click was expected",
         {Step::Click("TTest", "Cancel"), Step::Click("TTest", "Ok")},
         "message box \"Na pewno ?\" (caption \"Instalator\") appeared, but the next step is: Click TTest.Ok"},
        {"answer the box does not offer", {Step::Click("TTest", "Cancel"), Step::Answer(kIdOk)}, "has no button 1"},
        {"box answer while the window waits", {Step::Answer(kIdYes)}, "the next step is: Answer 6"},
        {"missing control", {Step::Click("TTest", "Nothing")}, "TTest has no such control"},
        {"steps left over",
         {Step::Click("TTest", "Ok"), Step::Click("TMakeSure", "SpeedButton1")},
         "script steps unused:\n  Click TMakeSure.SpeedButton1"},
        {"browser not scripted", {Step::Browse("TTest", "Folder")}, "folder browser at \"\\\" opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessMachine machine;
        for (const Step& step : c.steps) machine.ui.AddStep(step);
        try {
            RunWithForm(machine, [](TTest& form) {
                form.SetIcons({false, false, false});
                form.ShowModal();
            });
            ADD_FAILURE() << "the run passed";
        } catch (const HeadlessRunError& error) {
            EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
        }
    }
}

TEST(HeadlessUiTest, DisabledControlsCannotBeClicked) {
    HeadlessMachine machine;
    machine.ui.AddStep(Step::Click("TTest", "Ok"));
    EXPECT_THROW(RunWithForm(machine,
                             [](TTest& form) {
                                 form.Box.SetEnabled(false);
                                 form.ShowModal();
                             }),
                 HeadlessRunError);
}

TEST(HeadlessUiTest, HandlerErrorsShowTheDefaultErrorBoxAndEndTheInstaller) {
    struct Case {
        std::string error;
        std::string shown;
    };
    for (const Case& c : {Case{Cp1250(u8"Nie można zapisać"), Cp1250(u8"Nie można zapisać.")},
                          Case{"Unable to write to C:\\X!", "Unable to write to C:\\X!"}}) {
        HeadlessMachine machine;
        machine.ui.AddSteps({Step::Click("TTest", "Ok"), Step::Answer(kIdOk)});
        bool returned = false;
        const RunOutcome outcome = RunWithForm(machine, [&](TTest& form) {
            form.Ok.OnClick = [&] { throw std::runtime_error(c.error); };
            form.ShowModal();
            returned = true;
        });
        EXPECT_FALSE(returned);
        EXPECT_EQ(outcome.end, RunOutcome::End::EndInstaller);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.where, "TTest.OkClick");
        const auto boxes = machine.ui.EventsOf(Event::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]->text, c.shown);
        EXPECT_EQ(boxes[0]->caption, Cp1250(u8"Tytuł aplikacji"));
        EXPECT_EQ(boxes[0]->style, kMbOk | kMbIconStop);
    }
}

TEST(HeadlessUiTest, InitialFocusFollowsTabOrderIntoBoxes) {
    HeadlessMachine machine;
    RunWithForm(machine, [](TTest& form) {
        EXPECT_EQ(form.InitialFocus(), &form.Ok);
        form.Ok.SetEnabled(false);
        EXPECT_EQ(form.InitialFocus(), &form.Name);
        form.Box.SetVisible(false);
        EXPECT_EQ(form.InitialFocus(), &form.Check);
        form.Box.SetVisible(true);
        form.Cancel.SetTabOrder(0);
        form.Box.SetTabOrder(2);
        EXPECT_EQ(form.InitialFocus(), &form.Cancel);
    });
}

TEST(HeadlessUiTest, EnterActsOnTheFocusedControl) {
    HeadlessMachine machine;
    machine.ui.AddSteps({Step::Enter("TTest"), Step::Type("TTest", "Name", "x"), Step::Enter("TTest")});
    int okClicks = 0;
    std::vector<char> keys;
    int result = 0;
    RunWithForm(machine, [&](TTest& form) {
        form.Ok.SetModalResult(kModalNone);
        form.Ok.OnClick = [&] { ++okClicks; };
        form.Name.OnKeyPress = [&](char& key) {
            keys.push_back(key);
            if (key == '\r') form.SetModalResult(kModalOk);
        };
        result = form.ShowModal();
    });
    EXPECT_EQ(result, kModalOk);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(keys, std::vector<char>{'\r'});
}

TEST(HeadlessUiTest, FolderBrowserOutcomeReachesTheDirectoryEdit) {
    HeadlessMachine machine;
    machine.ui.AddSteps({Step::Browse("TTest", "Folder"), Step::CancelFolder(), Step::Browse("TTest", "Folder"),
                         Step::ChooseFolder("C:\\Programy"), Step::Click("TTest", "Ok")});
    std::vector<std::pair<std::string, bool>> seen;
    std::string text;
    RunWithForm(machine, [&](TTest& form) {
        form.Folder.OnAfterDialog = [&](std::string& path, bool& accepted) {
            seen.emplace_back(path, accepted);
            path += "\\Quill07\\";
        };
        form.ShowModal();
        text = form.Folder.Text();
    });
    const std::vector<std::pair<std::string, bool>> expected = {{"\\", false}, {"C:\\Programy", true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(text, "C:\\Programy\\Quill07\\");
    const auto browsers = machine.ui.EventsOf(Event::Kind::FolderBrowser);
    ASSERT_EQ(browsers.size(), 2u);
    EXPECT_EQ(browsers[0]->text, "\\");
    EXPECT_EQ(browsers[1]->caption, "C:\\Programy");
}

TEST(HeadlessUiTest, PumpPointsAnswerClicksOnVisibleModelessWindows) {
    HeadlessMachine machine;
    machine.ui.AddStep(Step::Click("TTest", "Check"));
    bool beforeShow = true;
    bool afterShow = false;
    RunWithForm(machine, [&](TTest& form) {
        form.App().GetUi().ProcessMessages();  // hidden: the click waits
        beforeShow = form.Check.Checked();
        form.Show();
        form.App().GetUi().ProcessMessages();
        afterShow = form.Check.Checked();
    });
    EXPECT_FALSE(beforeShow);
    EXPECT_TRUE(afterShow);
}

TEST(HeadlessUiTest, MessageLoopRunsTimersUntilNothingIsLeft) {
    HeadlessMachine machine;
    int ticks = 0;
    RunWithForm(machine, [&](TTest& form) {
        form.Tick.OnTimer = [&] {
            if (++ticks == 3) form.Tick.SetEnabled(false);
        };
        form.Tick.SetEnabled(true);
        form.App().Run();
    });
    EXPECT_EQ(ticks, 3);

    HeadlessMachine endless;
    EXPECT_THROW(RunWithForm(endless,
                             [](TTest& form) {
                                 form.Tick.SetEnabled(true);
                                 form.App().Run();
                             }),
                 HeadlessRunError);
}

TEST(HeadlessUiTest, ClosingTheMainWindowEndsTheMessageLoop) {
    HeadlessMachine machine;
    machine.ui.AddStep(Step::Close("TTest"));
    int ticks = 0;
    const RunOutcome outcome = RunWithForm(machine, [&](TTest& form) {
        form.Tick.OnTimer = [&] { ++ticks; };
        form.Tick.SetEnabled(true);
        form.App().Run();
    });
    EXPECT_EQ(outcome.end, RunOutcome::End::Returned);
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace instalator::platform
