// How the keyboard walks a form: the focus chain through boxes in tab order, its
// wrapping, and the "&" letters of captions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.hpp"
#include "platform/forms.hpp"
#include "platform/headless/ui.hpp"
#include "platform/keyboard_navigation.hpp"

namespace instalator::platform {
namespace {

using common::Cp1250;

// Declared in an order that differs from the tab order on purpose.
class TKeys final : public Form {
public:
    explicit TKeys(Application& app)
        : Form(app, "TKeys"),
          Note(*this, "Note", {0, 0, 50, 10}),
          Box(*this, "Box", {0, 0, 300, 100}),
          Inner(Box, "Inner", {8, 8, 80, 25}),
          Field(Box, "Field", {8, 40, 200, 21}),
          Install(*this, "Install", {0, 110, 100, 30}, ButtonPicture::Install, PictureLayout::Above),
          Abort(*this, "Abort", {110, 110, 100, 30}),
          Tick(*this, "Tick", {0, 150, 100, 17}),
          Bar(*this, "Bar", {0, 170, 100, 10}) {
        Install.SetText("&Instaluj");
        Abort.SetText(Cp1250(u8"&Łam && przerwij"));
        Tick.SetText("Zrestartuj &system");
        Inner.SetText("A && B");
        Install.SetTabOrder(0);
        Box.SetTabOrder(1);
        Abort.SetTabOrder(2);
        Tick.SetTabOrder(3);
        Inner.SetTabOrder(1);
        Field.SetTabOrder(0);
    }

    Label Note;
    GroupBox Box;
    Button Inner;
    Edit Field;
    BitmapButton Install;
    Button Abort;
    CheckBox Tick;
    ProgressBar Bar;
};

std::vector<std::string> Names(const std::vector<Control*>& controls) {
    std::vector<std::string> names;
    for (const Control* control : controls) names.push_back(control->Name());
    return names;
}

class KeyboardNavigationTest : public ::testing::Test {
protected:
    HeadlessUi ui;
    Application app{ui};
    TKeys form{app};
};

TEST_F(KeyboardNavigationTest, ChainFollowsTabOrderIntoBoxesAndSkipsWhatTakesNoFocus) {
    EXPECT_EQ(Names(FocusChain(form)), (std::vector<std::string>{"Install", "Field", "Inner", "Abort", "Tick"}));
}

TEST_F(KeyboardNavigationTest, HiddenOrDisabledControlsAndBoxesLeaveTheChain) {
    form.Abort.SetEnabled(false);
    form.Tick.SetVisible(false);
    EXPECT_EQ(Names(FocusChain(form)), (std::vector<std::string>{"Install", "Field", "Inner"}));
    form.Box.SetEnabled(false);
    EXPECT_EQ(Names(FocusChain(form)), (std::vector<std::string>{"Install"}));
    form.Box.SetEnabled(true);
    form.Box.SetVisible(false);
    EXPECT_EQ(Names(FocusChain(form)), (std::vector<std::string>{"Install"}));
}

TEST_F(KeyboardNavigationTest, TabAndShiftTabWrapAtBothEnds) {
    struct Case {
        Control* from;
        bool forward;
        Control* to;
    };
    const Case cases[] = {
        {&form.Install, true, &form.Field},  {&form.Field, true, &form.Inner},   {&form.Tick, true, &form.Install},
        {&form.Install, false, &form.Tick},  {&form.Inner, false, &form.Field},  {nullptr, true, &form.Install},
        {nullptr, false, &form.Tick},        {&form.Note, true, &form.Install},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.from ? c.from->Name() : std::string("nothing")) + (c.forward ? " forward" : " back"));
        EXPECT_EQ(NextInChain(form, c.from, c.forward), c.to);
    }
}

TEST_F(KeyboardNavigationTest, NoControlTakesTheFocusInAnEmptyChain) {
    for (Control* control : FocusChain(form)) control->SetEnabled(false);
    EXPECT_EQ(NextInChain(form, nullptr, true), nullptr);
    EXPECT_EQ(NextInChain(form, &form.Install, false), nullptr);
}

TEST(AcceleratorTest, TheLetterAfterASingleAmpersandInSmallLetters) {
    struct Case {
        std::string caption;
        char key;
    };
    const Case cases[] = {
        {"&Instaluj", 'i'},
        {"&Przerwij", 'p'},
        {"Zrestartuj &system", 's'},
        {"Przerwij instalację", 0},
        {"A && B", 0},
        {"A && &B", 'b'},
        {"koniec &", 0},
        {Cp1250(u8"&Łam"), Cp1250(u8"ł")[0]},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(Accelerator(c.caption), c.key);
    }
}

TEST_F(KeyboardNavigationTest, AKeyFindsTheButtonOrCheckBoxThatMarksIt) {
    EXPECT_EQ(ControlForAccelerator(form, 'I'), &form.Install);
    EXPECT_EQ(ControlForAccelerator(form, 'i'), &form.Install);
    EXPECT_EQ(ControlForAccelerator(form, Cp1250(u8"Ł")[0]), &form.Abort);
    EXPECT_EQ(ControlForAccelerator(form, 's'), &form.Tick);
    EXPECT_EQ(ControlForAccelerator(form, 'b'), nullptr);  // "A && B" marks nothing
    EXPECT_EQ(ControlForAccelerator(form, 0), nullptr);
    form.Install.SetEnabled(false);
    EXPECT_EQ(ControlForAccelerator(form, 'i'), nullptr);
}

}  // namespace
}  // namespace instalator::platform
