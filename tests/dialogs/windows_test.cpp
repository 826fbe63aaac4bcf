// The nine windows as declared: frames, sizes, texts and initial states, checked
// against a stored dump (tests/data/windows.txt), so a slip in a Polish text or a
// moved control shows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

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

std::string ParentName(const platform::Control& control) {
    if (const auto* parent = dynamic_cast<const platform::Control*>(&control.Parent())) return parent->Name();
    return control.OwnerForm().Name();
}

// A text on one line: its line breaks written as \\r and \\n.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : common::Utf8FromCp1250(text)) line += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return line;
}

void DumpControls(std::ostringstream& out, const platform::Container& container) {
    for (const platform::Control* control : container.Controls()) {
        const platform::Rect b = control->Bounds();
        const platform::Font& font = control->GetFont();
        out << "  " << control->Name() << " kind=" << static_cast<int>(control->Kind()) << " in=" << ParentName(*control)
            << " at=" << b.left << "," << b.top << "," << b.width << "," << b.height << " font=" << font.height
            << (font.bold ? "b" : "") << " text=\"" << OneLine(control->Text()) << "\"\n";
        if (const auto* inner = dynamic_cast<const platform::Container*>(control)) DumpControls(out, *inner);
    }
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

// One line per window and per control, in creation and declaration order: the
// frame, caption, focus, kind, parent, place, font and text of everything the
// windows declare, in UTF-8.
std::string Dump(core::Installer& run) {
    std::ostringstream out;
    for (const platform::Form* form : run.App.Forms()) {
        const platform::Control* focus = form->InitialFocus();
        out << form->Name() << " caption=\"" << OneLine(form->Caption()) << "\" client="
            << form->ClientWidth() << "x" << form->ClientHeight() << " border=" << static_cast<int>(form->Border())
            << " close=" << form->Icons().systemMenu << " min=" << form->Icons().minimize
            << " max=" << form->Icons().maximize << " top=" << form->StayOnTop()
            << " centred=" << (form->Position() == platform::FormPosition::ScreenCenter)
            << " focus=" << (focus == nullptr ? "-" : focus->Name())
            << " font=" << (form->GetFont() == platform::Font{}) << "\n";
        DumpControls(out, *form);
    }
    return out.str();
}

TEST(WindowsTest, WindowsAndControlsMatchTheStoredDump) {
    const std::string path = std::string(INSTALATOR_TEST_DATA) + "/windows.txt";
    WithWindows([&](core::Installer& run) {
        const std::string dump = Dump(run);
        if (std::getenv("INSTALATOR_UPDATE_DUMP") != nullptr) std::ofstream(path, std::ios::binary) << dump;
        std::ifstream stored(path, std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
        EXPECT_EQ(dump, expected) << "INSTALATOR_UPDATE_DUMP=1 rewrites " << path << " after a deliberate change";
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
