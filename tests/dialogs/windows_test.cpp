// The nine windows as declared: frames, sizes, texts and initial states. The
// expected texts are typed here a second time, so a slip in a Polish text shows.

#include <gtest/gtest.h>

#include "common/text.hpp"
#include "core/installer.hpp"
#include "core/main_form.hpp"
#include "dialogs/copying.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/informations.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/message_r.hpp"
#include "dialogs/restart_me.hpp"
#include "setup/run_installer.hpp"
#include "support/installer_machine.hpp"

namespace instalator::dialogs {
namespace {

using common::Cp1250;
using platform::BorderStyle;
using platform::ControlKind;
using platform::Rect;

struct FormCase {
    const char* name;
    const char8_t* caption;
    int clientWidth;
    int clientHeight;
    BorderStyle border;
    bool closeButton;
    bool stayOnTop;
    bool centred;
    const char* focus;  // the control that has the focus when the window opens
};

const FormCase kForms[] = {
    {"TMain", u8"Main", 640, 480, BorderStyle::None, false, false, false, nullptr},
    {"TMakeSure", u8"Instalator programu", 453, 222, BorderStyle::Dialog, false, false, true, "SpeedButton1"},
    {"TSelectDirectory", u8"Wskaż katalog docelowy", 462, 208, BorderStyle::Dialog, false, false, true, "BitBtn1"},
    {"TInformations", u8"", 400, 256, BorderStyle::None, false, true, false, nullptr},
    {"TCopying", u8"Instalacja", 350, 125, BorderStyle::Dialog, false, true, false, "Button1"},
    {"TMessageR", u8"", 425, 50, BorderStyle::None, false, false, true, nullptr},
    {"TRestartME", u8"Restart systemu", 443, 315, BorderStyle::Dialog, false, false, true, "BitBtn2"},
    {"TFinish", u8"Instalacja zakończona", 441, 313, BorderStyle::Dialog, false, false, true, "BitBtn2"},
    {"TGrupa", u8"Wskaż grupę dla programu", 461, 206, BorderStyle::Dialog, true, false, true, "BitBtn1"},
};

struct ControlCase {
    const char* form;
    const char* control;
    ControlKind kind;
    const char* parent;
    Rect bounds;
    const char8_t* text;
    int fontHeight;
    bool bold;
};

const ControlCase kControls[] = {
    {"TMakeSure", "SpeedButton1", ControlKind::BitmapButton, "GroupBox1", {8, 16, 105, 93}, u8"&Instaluj", 11, true},
    {"TMakeSure", "MakeInfo", ControlKind::Label, "GroupBox1", {124, 16, 325, 93}, u8"", 13, true},
    {"TMakeSure", "BitBtn1", ControlKind::BitmapButton, "GroupBox1", {8, 116, 105, 93}, u8"&Przerwij", 11, true},
    {"TMakeSure", "Label1", ControlKind::Label, "GroupBox1", {124, 120, 325, 85},
     u8"Wybierz ten przycisk, aby przerwać instalację.", 13, true},
    {"TSelectDirectory", "Label1", ControlKind::Label, "GroupBox1", {120, 16, 329, 93},
     u8"Wskaż katalog, w którym instalator powinien zapisać pliki programu. Po wybraniu katalogu wciśnij "
     u8"przycisk \"Instaluj\"",
     13, true},
    {"TSelectDirectory", "GroupBox2", ControlKind::GroupBox, "GroupBox1", {8, 116, 445, 49}, u8"Katalog docelowy", 11,
     false},
    {"TSelectDirectory", "SelectedDir", ControlKind::DirectoryEdit, "GroupBox2", {8, 16, 429, 21}, u8"C:\\MyApp", 11,
     false},
    {"TSelectDirectory", "BitBtn2", ControlKind::BitmapButton, "TSelectDirectory", {168, 176, 141, 29},
     u8"Przerwij instalację", 11, false},
    {"TGrupa", "Label1", ControlKind::Label, "GroupBox1", {120, 16, 329, 93},
     u8"Wskaż grupę, do której instalator ma dodać ikony programu. Po wybraniu grupy wciśnij przycisk "
     u8"\"Instaluj\"",
     13, true},
    {"TGrupa", "GroupBox2", ControlKind::GroupBox, "GroupBox1", {8, 116, 445, 49}, u8"Grupa programu", 11, false},
    {"TGrupa", "GRP", ControlKind::ComboBox, "GroupBox2", {16, 20, 421, 21}, u8"", 11, false},
    {"TCopying", "GroupBox1", ControlKind::GroupBox, "TCopying", {0, 0, 349, 97}, u8"", 11, false},
    {"TCopying", "Panel1", ControlKind::Panel, "GroupBox1", {8, 12, 101, 17}, u8"Kopiuje plik", 11, false},
    {"TCopying", "NowCoping", ControlKind::Panel, "GroupBox1", {112, 12, 233, 17}, u8"Setup.lst", 11, false},
    {"TCopying", "CurrentProgressBar", ControlKind::ProgressBar, "GroupBox1", {8, 40, 333, 21}, u8"", 11, false},
    {"TCopying", "WholeProgressBar", ControlKind::ProgressBar, "GroupBox1", {8, 68, 333, 21}, u8"", 11, false},
    {"TCopying", "Button1", ControlKind::Button, "TCopying", {132, 100, 93, 25}, u8"&Przerwij", 11, false},
    {"TMessageR", "MessageText", ControlKind::Label, "Panel1", {8, 0, 413, 49}, u8"", 11, true},
    {"TInformations", "Dest", ControlKind::Picture, "TInformations", {0, 0, 400, 261}, u8"", 11, false},
    {"TRestartME", "Label1", ControlKind::Label, "GroupBox1", {172, 48, 257, 97},
     u8"Podczas instalacji plików, instalator podmienił część plików systemowych, na ich nowsze wersje. "
     u8"Operacja ta wymaga jednak restartu systemu. Zainstalowana applikacja może nie działać poprawnie, "
     u8"jeżeli nie zrestartujesz systemu !",
     11, true},
    {"TRestartME", "DoRestart", ControlKind::CheckBox, "GroupBox1", {172, 180, 253, 21}, u8"Zrestartuj system", 11,
     false},
    {"TRestartME", "BitBtn2", ControlKind::BitmapButton, "GroupBox1", {172, 276, 253, 25}, u8"Zakończ instalację", 11,
     false},
    {"TFinish", "Label1", ControlKind::Label, "GroupBox1", {172, 68, 257, 97},
     u8"Instalacja została zakończona pomyślnie. ", 11, true},
    {"TFinish", "DoStart", ControlKind::CheckBox, "GroupBox1", {176, 176, 229, 17},
     u8"Uruchom zainstalowaną aplikację", 11, false},
    {"TFinish", "Splash2", ControlKind::Picture, "GroupBox1", {8, 12, 149, 293}, u8"", 11, false},
};

std::string ParentName(const platform::Control& control) {
    if (const auto* parent = dynamic_cast<const platform::Control*>(&control.Parent())) return parent->Name();
    return control.OwnerForm().Name();
}

// Runs check on the windows of a started installer whose script is empty.
void WithWindows(const std::function<void(core::Installer&)>& check) {
    testing::InstallerMachine m;
    m.PrepareInstaller("[Application]\r\n");
    m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        setup::CreateWindows(run);
        check(run);
        return 0;
    });
}

platform::Form& FormNamed(core::Installer& run, std::string_view name) {
    for (platform::Form* form : run.App.Forms()) {
        if (form->Name() == name) return *form;
    }
    throw std::out_of_range(std::string(name));
}

TEST(WindowsTest, FramesMatchTheirDeclarations) {
    WithWindows([](core::Installer& run) {
        for (const FormCase& c : kForms) {
            SCOPED_TRACE(c.name);
            platform::Form& form = FormNamed(run, c.name);
            EXPECT_EQ(form.Caption(), Cp1250(c.caption));
            EXPECT_EQ(form.ClientWidth(), c.clientWidth);
            EXPECT_EQ(form.ClientHeight(), c.clientHeight);
            EXPECT_EQ(form.Border(), c.border);
            EXPECT_EQ(form.Icons(), (platform::BorderIcons{c.closeButton, false, false}));
            EXPECT_EQ(form.StayOnTop(), c.stayOnTop);
            EXPECT_EQ(form.Position() == platform::FormPosition::ScreenCenter, c.centred);
            EXPECT_EQ(form.GetFont(), platform::Font{});
            const platform::Control* focus = form.InitialFocus();
            EXPECT_EQ(focus == nullptr ? std::string() : focus->Name(), c.focus == nullptr ? "" : c.focus);
        }
    });
}

TEST(WindowsTest, ControlsMatchTheirDeclarations) {
    WithWindows([](core::Installer& run) {
        for (const ControlCase& c : kControls) {
            SCOPED_TRACE(std::string(c.form) + "." + c.control);
            const platform::Control* control = FormNamed(run, c.form).Find(c.control);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->Kind(), c.kind);
            EXPECT_EQ(ParentName(*control), c.parent);
            EXPECT_EQ(control->Bounds(), c.bounds);
            EXPECT_EQ(control->Text(), Cp1250(c.text));
            EXPECT_EQ(control->GetFont().height, c.fontHeight);
            EXPECT_EQ(control->GetFont().bold, c.bold);
        }
    });
}

TEST(WindowsTest, InitialStatesAndLooks) {
    WithWindows([](core::Installer& run) {
        const core::Windows& w = run.Windows;
        EXPECT_TRUE(w.RestartME->DoRestart.Checked());
        EXPECT_FALSE(w.Finish->DoStart.Checked());
        EXPECT_EQ(w.Copying->NowCoping.GetFont().colour, (platform::Color{0, 0, 128}));
        EXPECT_EQ(w.Grupa->BitBtn1.ModalResult(), platform::kModalOk);
        EXPECT_EQ(w.Grupa->GRP.ItemHeight(), 13);
        EXPECT_TRUE(w.Grupa->GRP.Items().empty());
        EXPECT_TRUE(w.RestartME->Splash2.Stretch());
        EXPECT_TRUE(w.Finish->Splash2.Stretch());
        EXPECT_FALSE(w.Informations->Dest.Stretch());
        EXPECT_TRUE(w.Informations->Dest.Transparent());
        EXPECT_EQ(w.RestartME->Label1.Layout(), platform::VerticalLayout::Top);
        EXPECT_EQ(w.MessageR->MessageText.Layout(), platform::VerticalLayout::Center);
        EXPECT_EQ(w.MessageR->MessageText.GetAlignment(), platform::Alignment::Center);
        EXPECT_TRUE(w.MessageR->MessageText.WordWrap());

        const core::TMain& main = *w.Main;
        EXPECT_EQ(main.State(), platform::WindowState::Maximized);
        EXPECT_TRUE(main.Timer1.Enabled());
        EXPECT_EQ(main.Timer1.Interval(), 1000);
        EXPECT_EQ(main.FormFill1.FillType(), "Blue");
        EXPECT_EQ(main.SubTitle.GetFont(),
                  (platform::Font{"Arial", 32, true, true, platform::Charset::EastEurope, {0, 0, 0}}));
        EXPECT_EQ(main.SupTitle.GetFont().colour, (platform::Color{255, 255, 255}));
        EXPECT_TRUE(main.SubTitle.WordWrap() && main.SubTitle.Transparent() && !main.SubTitle.AutoSize());
        EXPECT_EQ(main.MakerInfo2.GetFont().colour, (platform::Color{0, 128, 128}));
        EXPECT_TRUE(main.MakerInfo1.AutoSize() && main.MakerInfo1.Transparent());

        using platform::ButtonPicture;
        EXPECT_EQ(w.MakeSure->SpeedButton1.Glyph(), ButtonPicture::Install);
        EXPECT_EQ(w.MakeSure->BitBtn1.Glyph(), ButtonPicture::Abort);
        EXPECT_EQ(w.MakeSure->BitBtn1.GlyphPlace(), platform::PictureLayout::Above);
        EXPECT_EQ(w.Finish->BitBtn2.GlyphPlace(), platform::PictureLayout::Left);
    });
}

}  // namespace
}  // namespace instalator::dialogs
